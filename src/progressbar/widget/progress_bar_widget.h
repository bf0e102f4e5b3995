#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

#include "quorvel/progressbar/progress_bar.h"
#include "quorvel/progressbar/progress_bar_enums.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"

namespace quorvel::progressbar {

class ProgressBarWidgetPrivate;

// A QWidget that hosts one progress bar. It is the bar's host and gives it a
// drawing surface over a persistent back buffer: the bar paints into the
// buffer whenever it changes or is resized, and paintEvent() only copies the
// buffer to the screen, so the picture survives being covered and uncovered.
// The window shape follows the bar's rounded region (QWidget::setMask()).
//
// Start. A new widget holds the bar's zero state and has announced nothing.
// Its host then calls exactly one of InitProperties() (a new instance) or
// ReadProperties() (a restored one, once the object name, which is the
// default caption of a restored bar, is set). A widget that is used before
// either call (a property set, a resize, a show, a paint, or Bar() taken for
// changes), as one made in code or by a form is, first runs InitProperties()
// itself, once. A later ReadProperties() restores over the live bar.
//
// The bar's change notices come out as propertyChanged(name). The ambient
// display name is the object name; the ambient font is one shared font object
// that follows the parent's font (the widget's own before it has a parent).
//
// The sixteen properties of the bar are Qt properties of the widget under the
// bar's names, each with a NOTIFY signal and its description as class
// information under the same name, for property browsers. Colours are
// 0x00BBGGRR.
//
// The back buffer has the widget's device pixel ratio, so on a 200 % screen
// gradients and glyphs are drawn at the screen's resolution while the bar's
// geometry stays in logical pixels. Screen readers see a progress bar whose
// name is the caption (the object name when none shows) and whose value is
// Value within Min and Max.
//
// Enabled is the bar's greyed look, independent of QWidget::isEnabled(); the
// bar takes no input.
//
// Binary interface: all state lies behind one private pointer, so the class
// keeps its size and layout as the library changes.
class QUORVEL_PROGRESSBAR_EXPORT ProgressBarWidget : public QWidget, public ProgressBarHost {
  Q_OBJECT
  Q_CLASSINFO("Value", "Progressbar Value.")
  Q_CLASSINFO("Max", "Progressbar Max Value.")
  Q_CLASSINFO("Min", "Progressbar Min Value.")
  Q_CLASSINFO("RoundedValue", "Progressbar Rounded Corner Value.")
  Q_CLASSINFO("Enabled", "Progressbar Enabled/Disabled.")
  Q_CLASSINFO("Theme", "Progressbar Styles.")
  Q_CLASSINFO("TextStyle", "Progressbar Text Style.")
  Q_CLASSINFO("TextAlignment", "Progressbar Text Alignment.")
  Q_CLASSINFO("Text", "Progressbar Text.")
  Q_CLASSINFO("TextEffectColor", "Progressbar Text Effect Color.")
  Q_CLASSINFO("TextEffect", "Progressbar Text Effect.")
  Q_CLASSINFO("TextForeColor", "Progressbar Text Color.")
  Q_CLASSINFO("TextFont", "Progressbar Text Font.")
  Q_CLASSINFO("PBSCustomeColor1", "Progressbar Style Custome Color 1.")
  Q_CLASSINFO("PBSCustomeColor2", "Progressbar Style Custome Color 2.")
  // Max, Min and Value lead, in the order a restore sets them, so that a form
  // that sets them in declaration order gets the range it saved.
  Q_PROPERTY(int Max READ Max WRITE SetMax NOTIFY maxChanged)
  Q_PROPERTY(int Min READ Min WRITE SetMin NOTIFY minChanged)
  Q_PROPERTY(int Value READ Value WRITE SetValue NOTIFY valueChanged)
  Q_PROPERTY(int RoundedValue READ RoundedValue WRITE SetRoundedValue NOTIFY roundedValueChanged)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled NOTIFY enabledChanged)
  Q_PROPERTY(int Theme READ Theme WRITE SetTheme NOTIFY themeChanged)
  Q_PROPERTY(int TextStyle READ TextStyle WRITE SetTextStyle NOTIFY textStyleChanged)
  Q_PROPERTY(int Orientations READ Orientations WRITE SetOrientations NOTIFY orientationsChanged)
  Q_PROPERTY(
      int TextAlignment READ TextAlignment WRITE SetTextAlignment NOTIFY textAlignmentChanged)
  Q_PROPERTY(QString Text READ Text WRITE SetText NOTIFY textChanged)
  Q_PROPERTY(uint TextEffectColor READ TextEffectColor WRITE SetTextEffectColor NOTIFY
                 textEffectColorChanged)
  Q_PROPERTY(int TextEffect READ TextEffect WRITE SetTextEffect NOTIFY textEffectChanged)
  Q_PROPERTY(
      uint TextForeColor READ TextForeColor WRITE SetTextForeColor NOTIFY textForeColorChanged)
  Q_PROPERTY(QFont TextFont READ TextFontValue WRITE SetTextFontValue NOTIFY textFontChanged)
  Q_PROPERTY(uint PBSCustomeColor1 READ PBSCustomeColor1 WRITE SetPBSCustomeColor1 NOTIFY
                 pbsCustomeColor1Changed)
  Q_PROPERTY(uint PBSCustomeColor2 READ PBSCustomeColor2 WRITE SetPBSCustomeColor2 NOTIFY
                 pbsCustomeColor2Changed)

 public:
  explicit ProgressBarWidget(QWidget* parent = nullptr);
  ~ProgressBarWidget() override;

  // The hosted control, for everything the Qt properties do not cover (the
  // shared font reference, the painters, the palette). Taken for changes, it
  // starts the widget first.
  ProgressBar& Bar();
  const ProgressBar& Bar() const;

  // The back buffer: the bar's picture as last painted.
  const QImage& BackBuffer() const;

  // Gives a widget that has not started yet the creation values; does
  // nothing on one that has (a widget starts only once).
  Status InitProperties();
  // Restores the bar from `store`; see property_persistence.h. On a widget
  // that has not started yet the bar restores from its zero state.
  void ReadProperties(PropertyStore& store);
  // Saves the bar into `store`; see property_persistence.h.
  Status WriteProperties(PropertyStore& store) const;

  int Value() const;
  void SetValue(int value);
  int Max() const;
  void SetMax(int max);
  int Min() const;
  void SetMin(int min);
  int RoundedValue() const;
  void SetRoundedValue(int rounded_value);
  bool Enabled() const;
  void SetEnabled(bool enabled);
  // The integer options also take their named values (progress_bar_enums.h).
  int Theme() const;
  void SetTheme(int theme);
  void SetTheme(progressbar::Theme theme) { SetTheme(static_cast<int>(theme)); }
  int TextStyle() const;
  void SetTextStyle(int text_style);
  void SetTextStyle(progressbar::TextStyle style) { SetTextStyle(static_cast<int>(style)); }
  int Orientations() const;
  void SetOrientations(int orientations);
  void SetOrientations(Orientation orientation) { SetOrientations(static_cast<int>(orientation)); }
  int TextAlignment() const;
  void SetTextAlignment(int text_alignment);
  void SetTextAlignment(progressbar::TextAlignment alignment) {
    SetTextAlignment(static_cast<int>(alignment));
  }
  QString Text() const;
  void SetText(const QString& text);
  uint TextEffectColor() const;
  void SetTextEffectColor(uint colour);
  int TextEffect() const;
  void SetTextEffect(int text_effect);
  void SetTextEffect(progressbar::TextEffect effect) { SetTextEffect(static_cast<int>(effect)); }
  uint TextForeColor() const;
  void SetTextForeColor(uint colour);
  // A copy of the caption font (the default font when none is set); setting
  // one gives the bar a new font object of its own.
  QFont TextFontValue() const;
  void SetTextFontValue(const QFont& font);
  uint PBSCustomeColor1() const;
  void SetPBSCustomeColor1(uint colour);
  uint PBSCustomeColor2() const;
  void SetPBSCustomeColor2(uint colour);

  // ProgressBarHost.
  Status PropertyChanged(std::string_view name) override;
  QString DisplayName() const override;
  std::shared_ptr<QFont> Font() const override;
  // The back buffer, brought to the widget's size first: Qt holds back the
  // resize events of a hidden widget, but a repaint must see the size it has.
  DrawingSurface& Surface() override;

  // Qt's standard setter names ("set" and the property name), which code that
  // uic generates from a form calls when the form does not mark a property
  // stdset="0". Enabled has none: setEnabled() is QWidget's, so forms set the
  // bar's greyed look through setProperty() (stdset="0", as Designer and
  // QFormBuilder write it).
  void setMax(int max) { SetMax(max); }
  void setMin(int min) { SetMin(min); }
  void setValue(int value) { SetValue(value); }
  void setRoundedValue(int rounded_value) { SetRoundedValue(rounded_value); }
  void setTheme(int theme) { SetTheme(theme); }
  void setTextStyle(int text_style) { SetTextStyle(text_style); }
  void setOrientations(int orientations) { SetOrientations(orientations); }
  void setTextAlignment(int text_alignment) { SetTextAlignment(text_alignment); }
  void setText(const QString& text) { SetText(text); }
  void setTextEffectColor(uint colour) { SetTextEffectColor(colour); }
  void setTextEffect(int text_effect) { SetTextEffect(text_effect); }
  void setTextForeColor(uint colour) { SetTextForeColor(colour); }
  void setTextFont(const QFont& font) { SetTextFontValue(font); }
  void setPBSCustomeColor1(uint colour) { SetPBSCustomeColor1(colour); }
  void setPBSCustomeColor2(uint colour) { SetPBSCustomeColor2(colour); }

  // The caption as the bar prints it now; empty when it prints none
  // (ProgressBar::CaptionText()).
  QString CaptionText() const;

  // Room for the caption in its font: the minimum just fits it with the bar's
  // insets, the hint leaves space for the bar around it.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 Q_SIGNALS:
  // A property of the bar changed (its name, as in the Qt property). The typed
  // signal of the same property follows at once, so both kinds come in the
  // order the bar announces its changes (a Max that moves the position:
  // "Value", valueChanged, "Max", maxChanged).
  void propertyChanged(const QString& name);
  void valueChanged(int value);
  void maxChanged(int max);
  void minChanged(int min);
  void roundedValueChanged(int rounded_value);
  void enabledChanged(bool enabled);
  void themeChanged(int theme);
  void textStyleChanged(int text_style);
  void orientationsChanged(int orientations);
  void textAlignmentChanged(int text_alignment);
  void textChanged(const QString& text);
  void textEffectColorChanged(uint colour);
  void textEffectChanged(int text_effect);
  void textForeColorChanged(uint colour);
  void textFontChanged(const QFont& font);
  void pbsCustomeColor1Changed(uint colour);
  void pbsCustomeColor2Changed(uint colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class ProgressBarWidgetPrivate;
  const std::unique_ptr<ProgressBarWidgetPrivate> d_;
};

}  // namespace quorvel::progressbar
