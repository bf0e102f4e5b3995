#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>

#include "quorvel/progressbar/image_drawing_surface.h"
#include "quorvel/progressbar/progress_bar.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/property_store.h"

namespace quorvel::progressbar {

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
// bar's names, with their descriptions as class information under the same
// names, for property browsers. Colours are 0x00BBGGRR. Enabled is the bar's
// greyed look, independent of QWidget::isEnabled(); the bar takes no input.
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
  Q_PROPERTY(int Value READ Value WRITE SetValue)
  Q_PROPERTY(int Max READ Max WRITE SetMax)
  Q_PROPERTY(int Min READ Min WRITE SetMin)
  Q_PROPERTY(int RoundedValue READ RoundedValue WRITE SetRoundedValue)
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(int Theme READ Theme WRITE SetTheme)
  Q_PROPERTY(int TextStyle READ TextStyle WRITE SetTextStyle)
  Q_PROPERTY(int Orientations READ Orientations WRITE SetOrientations)
  Q_PROPERTY(int TextAlignment READ TextAlignment WRITE SetTextAlignment)
  Q_PROPERTY(QString Text READ Text WRITE SetText)
  Q_PROPERTY(uint TextEffectColor READ TextEffectColor WRITE SetTextEffectColor)
  Q_PROPERTY(int TextEffect READ TextEffect WRITE SetTextEffect)
  Q_PROPERTY(uint TextForeColor READ TextForeColor WRITE SetTextForeColor)
  Q_PROPERTY(QFont TextFont READ TextFontValue WRITE SetTextFontValue)
  Q_PROPERTY(uint PBSCustomeColor1 READ PBSCustomeColor1 WRITE SetPBSCustomeColor1)
  Q_PROPERTY(uint PBSCustomeColor2 READ PBSCustomeColor2 WRITE SetPBSCustomeColor2)

 public:
  explicit ProgressBarWidget(QWidget* parent = nullptr);
  ~ProgressBarWidget() override;

  // The hosted control, for everything the Qt properties do not cover (the
  // shared font reference, the painters, the palette).
  ProgressBar& Bar() {
    StartOnFirstUse();
    return bar_;
  }
  const ProgressBar& Bar() const { return bar_; }

  // The back buffer: the bar's picture as last painted.
  const QImage& BackBuffer() const { return surface_.Image(); }

  // Gives a widget that has not started yet the creation values; does
  // nothing on one that has (a widget starts only once).
  Status InitProperties();
  // Restores the bar from `store`; see property_persistence.h. On a widget
  // that has not started yet the bar restores from its zero state.
  void ReadProperties(PropertyStore& store);
  // Saves the bar into `store`; see property_persistence.h.
  Status WriteProperties(PropertyStore& store) const;

  int Value() const { return bar_.Value(); }
  void SetValue(int value);
  int Max() const { return bar_.Max(); }
  void SetMax(int max);
  int Min() const { return bar_.Min(); }
  void SetMin(int min);
  int RoundedValue() const { return bar_.RoundedValue(); }
  void SetRoundedValue(int rounded_value);
  bool Enabled() const { return bar_.Enabled(); }
  void SetEnabled(bool enabled);
  int Theme() const { return bar_.Theme(); }
  void SetTheme(int theme);
  int TextStyle() const { return bar_.TextStyle(); }
  void SetTextStyle(int text_style);
  int Orientations() const { return bar_.Orientations(); }
  void SetOrientations(int orientations);
  int TextAlignment() const { return bar_.TextAlignment(); }
  void SetTextAlignment(int text_alignment);
  QString Text() const { return bar_.Text(); }
  void SetText(const QString& text);
  uint TextEffectColor() const { return bar_.TextEffectColor(); }
  void SetTextEffectColor(uint colour);
  int TextEffect() const { return bar_.TextEffect(); }
  void SetTextEffect(int text_effect);
  uint TextForeColor() const { return bar_.TextForeColor(); }
  void SetTextForeColor(uint colour);
  // A copy of the caption font (the default font when none is set); setting
  // one gives the bar a new font object of its own.
  QFont TextFontValue() const;
  void SetTextFontValue(const QFont& font);
  uint PBSCustomeColor1() const { return bar_.PBSCustomeColor1(); }
  void SetPBSCustomeColor1(uint colour);
  uint PBSCustomeColor2() const { return bar_.PBSCustomeColor2(); }
  void SetPBSCustomeColor2(uint colour);

  // ProgressBarHost.
  Status PropertyChanged(std::string_view name) override;
  QString DisplayName() const override { return objectName(); }
  std::shared_ptr<QFont> Font() const override { return ambient_font_; }
  // The back buffer, brought to the widget's size first: Qt holds back the
  // resize events of a hidden widget, but a repaint must see the size it has.
  DrawingSurface& Surface() override;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 Q_SIGNALS:
  // A property of the bar changed (its name, as in the Qt property).
  void propertyChanged(const QString& name);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Runs InitProperties() if neither it nor ReadProperties() has run.
  void StartOnFirstUse();
  void ApplyRegion(const RoundRectRegion& region, bool redraw);
  void FollowParentFont();

  ImageDrawingSurface surface_;
  std::shared_ptr<QFont> ambient_font_;
  std::optional<RoundRectRegion> applied_region_;
  bool started_ = false;
  // Last: the bar draws on the members above from its first setter on.
  ProgressBar bar_;
};

}  // namespace quorvel::progressbar
