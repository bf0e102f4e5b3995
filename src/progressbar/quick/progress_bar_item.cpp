#include "progressbar/quick/progress_bar_item.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QQuickWindow>
#include <QSGImageNode>
#include <algorithm>
#include <cmath>
#include <utility>

#include "progressbar/quick/progress_bar_item_accessible.h"
#include "quorvel/progressbar/colour.h"
#include "quorvel/progressbar/progress_bar_enums.h"
#include "quorvel/progressbar/property_persistence.h"
#include "quorvel/progressbar/window_region.h"

namespace quorvel::progressbar {

namespace {

Colour ToColour(const QColor& colour) {
  return Rgb(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
             static_cast<std::uint8_t>(colour.blue()));
}

// The bar's setters cannot fail: the item's own host never refuses a notice.
void Ignore(Status status) { static_cast<void>(status); }

}  // namespace

ProgressBarItem::ProgressBarItem(QQuickItem* parent)
    : QQuickItem(parent),
      ambient_font_(std::make_shared<QFont>(QGuiApplication::font())),
      bar_(*this) {
  setFlag(ItemHasContents);
  // What shows where no band covers the client area, as on the widget.
  surface_.SetBackColor(ToColour(QGuiApplication::palette().color(QPalette::Window)));
  surface_.OnWindowRegion([this](const RoundRectRegion& region, bool) { ApplyRegion(region); });
  Ignore(InitProperties(bar_, *this));
  UpdateImplicitSize();
  // Once per program: screen readers reach every bar through this factory.
  static const bool accessible = [] {
    QAccessible::installFactory(&ProgressBarItemAccessibleFactory);
    return true;
  }();
  static_cast<void>(accessible);
}

ProgressBarItem::~ProgressBarItem() = default;

int ProgressBarItem::Value() const { return pending_value_.value_or(bar_.Value()); }
int ProgressBarItem::Max() const { return pending_max_.value_or(bar_.Max()); }
int ProgressBarItem::Min() const { return pending_min_.value_or(bar_.Min()); }

void ProgressBarItem::SetValue(int value) {
  if (completing_) {
    pending_value_ = value;
    return;
  }
  Ignore(bar_.SetValue(value));
}

void ProgressBarItem::SetMax(int max) {
  if (completing_) {
    pending_max_ = max;
    return;
  }
  Ignore(bar_.SetMax(max));
}

void ProgressBarItem::SetMin(int min) {
  if (completing_) {
    pending_min_ = min;
    return;
  }
  Ignore(bar_.SetMin(min));
}

int ProgressBarItem::RoundedValue() const { return bar_.RoundedValue(); }
void ProgressBarItem::SetRoundedValue(int rounded_value) {
  Ignore(bar_.SetRoundedValue(rounded_value));
}
int ProgressBarItem::Theme() const { return bar_.Theme(); }
void ProgressBarItem::SetTheme(int theme) { Ignore(bar_.SetTheme(theme)); }
int ProgressBarItem::TextStyle() const { return bar_.TextStyle(); }
void ProgressBarItem::SetTextStyle(int text_style) { Ignore(bar_.SetTextStyle(text_style)); }
int ProgressBarItem::Orientations() const { return bar_.Orientations(); }
void ProgressBarItem::SetOrientations(int orientations) {
  Ignore(bar_.SetOrientations(orientations));
}
int ProgressBarItem::TextAlignment() const { return bar_.TextAlignment(); }
void ProgressBarItem::SetTextAlignment(int text_alignment) {
  Ignore(bar_.SetTextAlignment(text_alignment));
}
QString ProgressBarItem::Text() const { return bar_.Text(); }
void ProgressBarItem::SetText(const QString& text) { Ignore(bar_.SetText(text)); }
uint ProgressBarItem::TextEffectColor() const { return bar_.TextEffectColor(); }
void ProgressBarItem::SetTextEffectColor(uint colour) { Ignore(bar_.SetTextEffectColor(colour)); }
int ProgressBarItem::TextEffect() const { return bar_.TextEffect(); }
void ProgressBarItem::SetTextEffect(int text_effect) { Ignore(bar_.SetTextEffect(text_effect)); }
uint ProgressBarItem::TextForeColor() const { return bar_.TextForeColor(); }
void ProgressBarItem::SetTextForeColor(uint colour) { Ignore(bar_.SetTextForeColor(colour)); }
uint ProgressBarItem::PBSCustomeColor1() const { return bar_.PBSCustomeColor1(); }
void ProgressBarItem::SetPBSCustomeColor1(uint colour) { Ignore(bar_.SetPBSCustomeColor1(colour)); }
uint ProgressBarItem::PBSCustomeColor2() const { return bar_.PBSCustomeColor2(); }
void ProgressBarItem::SetPBSCustomeColor2(uint colour) { Ignore(bar_.SetPBSCustomeColor2(colour)); }

QFont ProgressBarItem::TextFont() const {
  const std::shared_ptr<QFont> font = bar_.TextFont();
  return font ? *font : QFont();
}

void ProgressBarItem::SetTextFont(const QFont& font) {
  Ignore(bar_.SetTextFont(std::make_shared<QFont>(font)));
}

QString ProgressBarItem::Caption() const { return bar_.CaptionText(); }

const QImage& ProgressBarItem::BackBuffer() const { return surface_.Image(); }

Status ProgressBarItem::PropertyChanged(std::string_view name) {
  AnnounceTyped(name);
  return Status::Ok();
}

void ProgressBarItem::AnnounceTyped(std::string_view name) {
  if (name == "Value") Q_EMIT valueChanged(bar_.Value());
  if (name == "Max") Q_EMIT maxChanged(bar_.Max());
  if (name == "Min") Q_EMIT minChanged(bar_.Min());
  if (name == "RoundedValue") Q_EMIT roundedValueChanged(bar_.RoundedValue());
  if (name == "Theme") Q_EMIT themeChanged(bar_.Theme());
  if (name == "TextStyle") Q_EMIT textStyleChanged(bar_.TextStyle());
  if (name == "Orientations") Q_EMIT orientationsChanged(bar_.Orientations());
  if (name == "TextAlignment") Q_EMIT textAlignmentChanged(bar_.TextAlignment());
  if (name == "Text") Q_EMIT textChanged(bar_.Text());
  if (name == "TextEffectColor") Q_EMIT textEffectColorChanged(bar_.TextEffectColor());
  if (name == "TextEffect") Q_EMIT textEffectChanged(bar_.TextEffect());
  if (name == "TextForeColor") Q_EMIT textForeColorChanged(bar_.TextForeColor());
  if (name == "TextFont") Q_EMIT textFontChanged(TextFont());
  if (name == "PBSCustomeColor1") Q_EMIT pbsCustomeColor1Changed(bar_.PBSCustomeColor1());
  if (name == "PBSCustomeColor2") Q_EMIT pbsCustomeColor2Changed(bar_.PBSCustomeColor2());
  // "Enabled" is the item's own enabled, which announces itself.
  if (name == "Value") {
    QAccessibleValueChangeEvent event(this, bar_.Value());
    QAccessible::updateAccessibility(&event);
  }
  // What the caption shows and the room it needs.
  constexpr std::string_view kShapeTheCaption[] = {"Value",      "Max",      "TextStyle",   "Text",
                                                   "TextEffect", "TextFont", "Orientations"};
  if (std::find(std::begin(kShapeTheCaption), std::end(kShapeTheCaption), name) !=
      std::end(kShapeTheCaption)) {
    Q_EMIT captionChanged();
    UpdateImplicitSize();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}

QString ProgressBarItem::DisplayName() const { return objectName(); }

std::shared_ptr<QFont> ProgressBarItem::Font() const { return ambient_font_; }

DrawingSurface& ProgressBarItem::Surface() {
  FitSurface();
  return surface_;
}

bool ProgressBarItem::FitSurface() {
  const QSize size = QSizeF(width(), height()).toSize();
  const qreal ratio =
      window() != nullptr ? window()->effectiveDevicePixelRatio() : qApp->devicePixelRatio();
  if (surface_.Size() == size && surface_.DevicePixelRatio() == ratio) return false;
  surface_.SetDevicePixelRatio(ratio);
  surface_.Resize(size);
  return true;
}

void ProgressBarItem::Repaint() {
  if (FitSurface()) bar_.Resize();
}

void ProgressBarItem::ApplyRegion(const RoundRectRegion& region) {
  // Every repaint sets the region last of all but the caption: the picture
  // has changed.
  region_ = region;
  picture_changed_ = true;
  update();
}

void ProgressBarItem::UpdateImplicitSize() {
  // As the widget's size hint: room for the caption with the bar's insets,
  // and space for the bar around it.
  const std::shared_ptr<QFont> font = bar_.TextFont();
  const QFontMetricsF metrics(font ? *font : QGuiApplication::font());
  const QString caption = bar_.CaptionText();
  const qreal least_width = std::max(std::ceil(metrics.horizontalAdvance(caption)) + 4, 8.0);
  const qreal least_height = std::ceil(metrics.height()) + 2;
  if (bar_.Orientations() == static_cast<int>(Orientation::kVertical)) {
    setImplicitSize(least_width + 8, std::max(least_height + 16, 200.0));
  } else {
    setImplicitSize(std::max(least_width + 16, 200.0), least_height + 6);
  }
}

void ProgressBarItem::classBegin() {
  completing_ = true;
  QQuickItem::classBegin();
}

void ProgressBarItem::componentComplete() {
  QQuickItem::componentComplete();
  completing_ = false;
  // In the order a restore sets them, so that each is clamped against the
  // bounds set before it.
  if (const std::optional<int> max = std::exchange(pending_max_, std::nullopt)) SetMax(*max);
  if (const std::optional<int> min = std::exchange(pending_min_, std::nullopt)) SetMin(*min);
  if (const std::optional<int> value = std::exchange(pending_value_, std::nullopt)) {
    SetValue(*value);
  }
  // A disabled ancestor greys the bar as well.
  if (bar_.Enabled() != isEnabled()) Ignore(bar_.SetEnabled(isEnabled()));
}

void ProgressBarItem::geometryChange(const QRectF& new_geometry, const QRectF& old_geometry) {
  QQuickItem::geometryChange(new_geometry, old_geometry);
  if (new_geometry.size() != old_geometry.size()) Repaint();
}

void ProgressBarItem::itemChange(ItemChange change, const ItemChangeData& value) {
  QQuickItem::itemChange(change, value);
  switch (change) {
    case ItemSceneChange:
    case ItemDevicePixelRatioHasChanged:
      Repaint();
      break;
    case ItemEnabledHasChanged:
      if (bar_.Enabled() != value.boolValue) Ignore(bar_.SetEnabled(value.boolValue));
      break;
    default:
      break;
  }
}

QSGNode* ProgressBarItem::updatePaintNode(QSGNode* old_node, UpdatePaintNodeData*) {
  auto* node = static_cast<QSGImageNode*>(old_node);
  const QImage& buffer = surface_.Image();
  if (buffer.isNull() || window() == nullptr) {
    delete node;
    return nullptr;
  }
  if (node == nullptr) {
    node = window()->createImageNode();
    node->setOwnsTexture(true);
    node->setFiltering(QSGTexture::Nearest);
    picture_changed_ = true;
  }
  if (picture_changed_) {
    // The widget is masked to the window region; here what lies outside it
    // becomes transparent.
    QImage picture = buffer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (region_) {
      QRegion outside(0, 0, surface_.Size().width(), surface_.Size().height());
      outside -= ToQRegion(*region_);
      // In logical pixels: the painter scales them by the image's ratio.
      QPainter painter(&picture);
      painter.setCompositionMode(QPainter::CompositionMode_Clear);
      for (const QRect& rect : outside) painter.fillRect(rect, Qt::transparent);
    }
    node->setTexture(window()->createTextureFromImage(picture));
    picture_changed_ = false;
  }
  node->setRect(QRectF(QPointF(0, 0), QSizeF(surface_.Size())));
  return node;
}

}  // namespace quorvel::progressbar
