#pragma once

#include <QtQml/qqmlregistration.h>
#include <QFont>
#include <QImage>
#include <QQuickItem>
#include <QString>
#include <memory>
#include <optional>
#include <string_view>

#include "quorvel/progressbar/image_drawing_surface.h"
#include "quorvel/progressbar/progress_bar.h"
#include "quorvel/progressbar/progress_bar_host.h"

namespace quorvel::progressbar {

// A Qt Quick item that hosts one progress bar, painted by the same control and
// renderer as ProgressBarWidget: the bar paints into a back buffer of the
// item's size at the window's device pixel ratio whenever it changes or is
// resized, and the scene graph shows that image pixel for pixel. Outside the
// bar's rounded window region the item is transparent, where the widget is
// masked.
//
// The sixteen properties of the bar are QML properties under the same names
// in lower camel case (value, max, min, roundedValue, theme, textStyle,
// orientations, textAlignment, text, textEffectColor, textEffect,
// textForeColor, textFont, pbsCustomeColor1, pbsCustomeColor2), each with its
// change signal, all announced in the bar's order (a max that moves the
// position: valueChanged, then maxChanged). The bar's Enabled is the item's
// own `enabled`: false, or a disabled ancestor, gives the greyed look. A new
// item has the bar's creation values (max 100, value 50, theme 1, the caption
// "Vorn ProgressBar" with a shadow, ...). Colours are 0x00BBGGRR.
//
// Range rules are the bar's. While QML creates the item, max, min and value
// are held and applied once it is complete, in the order max, min, value, so
// that `max: 10; value: 8` gives 8 whatever order the engine sets them in.
//
// The item takes no input: no focus, no keys, no mouse. For screen readers
// the module's ProgressBar type (ProgressBar.qml) gives it the role of a
// progress bar, the caption as its name and value within minimumValue and
// maximumValue.
class ProgressBarItem : public QQuickItem, public ProgressBarHost {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(int max READ Max WRITE SetMax NOTIFY maxChanged)
  Q_PROPERTY(int min READ Min WRITE SetMin NOTIFY minChanged)
  Q_PROPERTY(int value READ Value WRITE SetValue NOTIFY valueChanged)
  Q_PROPERTY(int roundedValue READ RoundedValue WRITE SetRoundedValue NOTIFY roundedValueChanged)
  Q_PROPERTY(int theme READ Theme WRITE SetTheme NOTIFY themeChanged)
  Q_PROPERTY(int textStyle READ TextStyle WRITE SetTextStyle NOTIFY textStyleChanged)
  Q_PROPERTY(int orientations READ Orientations WRITE SetOrientations NOTIFY orientationsChanged)
  Q_PROPERTY(
      int textAlignment READ TextAlignment WRITE SetTextAlignment NOTIFY textAlignmentChanged)
  Q_PROPERTY(QString text READ Text WRITE SetText NOTIFY textChanged)
  Q_PROPERTY(uint textEffectColor READ TextEffectColor WRITE SetTextEffectColor NOTIFY
                 textEffectColorChanged)
  Q_PROPERTY(int textEffect READ TextEffect WRITE SetTextEffect NOTIFY textEffectChanged)
  Q_PROPERTY(
      uint textForeColor READ TextForeColor WRITE SetTextForeColor NOTIFY textForeColorChanged)
  Q_PROPERTY(QFont textFont READ TextFont WRITE SetTextFont NOTIFY textFontChanged)
  Q_PROPERTY(uint pbsCustomeColor1 READ PBSCustomeColor1 WRITE SetPBSCustomeColor1 NOTIFY
                 pbsCustomeColor1Changed)
  Q_PROPERTY(uint pbsCustomeColor2 READ PBSCustomeColor2 WRITE SetPBSCustomeColor2 NOTIFY
                 pbsCustomeColor2Changed)
  // The caption on show (empty when none), and the range under the names
  // Qt Quick's accessibility reads.
  Q_PROPERTY(QString caption READ Caption NOTIFY captionChanged)
  Q_PROPERTY(int maximumValue READ Max NOTIFY maxChanged)
  Q_PROPERTY(int minimumValue READ Min NOTIFY minChanged)

 public:
  explicit ProgressBarItem(QQuickItem* parent = nullptr);
  ~ProgressBarItem() override;

  int Value() const;
  void SetValue(int value);
  int Max() const;
  void SetMax(int max);
  int Min() const;
  void SetMin(int min);
  int RoundedValue() const;
  void SetRoundedValue(int rounded_value);
  int Theme() const;
  void SetTheme(int theme);
  int TextStyle() const;
  void SetTextStyle(int text_style);
  int Orientations() const;
  void SetOrientations(int orientations);
  int TextAlignment() const;
  void SetTextAlignment(int text_alignment);
  QString Text() const;
  void SetText(const QString& text);
  uint TextEffectColor() const;
  void SetTextEffectColor(uint colour);
  int TextEffect() const;
  void SetTextEffect(int text_effect);
  uint TextForeColor() const;
  void SetTextForeColor(uint colour);
  // A copy of the caption font; setting one gives the bar a font object of
  // its own.
  QFont TextFont() const;
  void SetTextFont(const QFont& font);
  uint PBSCustomeColor1() const;
  void SetPBSCustomeColor1(uint colour);
  uint PBSCustomeColor2() const;
  void SetPBSCustomeColor2(uint colour);
  QString Caption() const;

  // The bar's picture as last painted, at the window's device pixel ratio,
  // before the pixels outside the window region are made transparent.
  const QImage& BackBuffer() const;

  // ProgressBarHost.
  Status PropertyChanged(std::string_view name) override;
  QString DisplayName() const override;
  std::shared_ptr<QFont> Font() const override;
  DrawingSurface& Surface() override;

 Q_SIGNALS:
  void valueChanged(int value);
  void maxChanged(int max);
  void minChanged(int min);
  void roundedValueChanged(int rounded_value);
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
  void captionChanged();

 protected:
  void classBegin() override;
  void componentComplete() override;
  void geometryChange(const QRectF& new_geometry, const QRectF& old_geometry) override;
  void itemChange(ItemChange change, const ItemChangeData& value) override;
  QSGNode* updatePaintNode(QSGNode* old_node, UpdatePaintNodeData* data) override;

 private:
  // Brings the back buffer to the item's size and the window's device pixel
  // ratio; returns whether it changed.
  bool FitSurface();
  void Repaint();
  void ApplyRegion(const RoundRectRegion& region);
  void UpdateImplicitSize();
  // Emits the change signal of `name` (a bar property name).
  void AnnounceTyped(std::string_view name);

  ImageDrawingSurface surface_;
  std::shared_ptr<QFont> ambient_font_;
  std::optional<RoundRectRegion> region_;
  // max, min and value set while QML creates the item, applied when it is
  // complete.
  bool completing_ = false;
  std::optional<int> pending_max_;
  std::optional<int> pending_min_;
  std::optional<int> pending_value_;
  bool picture_changed_ = true;
  // Last: the bar draws on the members above from its first setter on.
  ProgressBar bar_;
};

}  // namespace quorvel::progressbar
