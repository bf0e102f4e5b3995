#include "progressbar/widget/progress_bar_widget.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QMetaProperty>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "progressbar/bar_caption.h"
#include "progressbar/bar_renderer.h"
#include "progressbar/property_persistence.h"
#include "progressbar/property_table.h"
#include "progressbar/widget/progress_bar_accessible.h"
#include "progressbar/window_region.h"

namespace quorvel::progressbar {

namespace {

Colour ToColour(const QColor& colour) {
  return Rgb(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
             static_cast<std::uint8_t>(colour.blue()));
}

}  // namespace

ProgressBarWidget::ProgressBarWidget(QWidget* parent)
    : QWidget(parent),
      ambient_font_(std::make_shared<QFont>(parent != nullptr ? parent->font() : font())),
      bar_(*this) {
  // The back buffer covers every pixel, so nothing needs clearing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  surface_.SetBackColor(ToColour(palette().color(QPalette::Window)));
  surface_.OnWindowRegion(
      [this](const RoundRectRegion& region, bool redraw) { ApplyRegion(region, redraw); });
  FitSurface();
  // Once per program: screen readers reach every bar through this factory.
  static const bool accessible = [] {
    QAccessible::installFactory(&ProgressBarAccessibleFactory);
    return true;
  }();
  static_cast<void>(accessible);
}

bool ProgressBarWidget::FitSurface() {
  const qreal ratio = devicePixelRatioF();
  if (surface_.Size() == size() && surface_.DevicePixelRatio() == ratio) return false;
  surface_.SetDevicePixelRatio(ratio);
  surface_.Resize(size());
  return true;
}

ProgressBarWidget::~ProgressBarWidget() = default;

Status ProgressBarWidget::InitProperties() {
  if (started_) return Status::Ok();
  started_ = true;
  return progressbar::InitProperties(bar_, *this);
}

void ProgressBarWidget::StartOnFirstUse() {
  if (!started_) static_cast<void>(InitProperties());
}

void ProgressBarWidget::ReadProperties(PropertyStore& store) {
  started_ = true;
  progressbar::ReadProperties(bar_, *this, store);
}

Status ProgressBarWidget::WriteProperties(PropertyStore& store) const {
  return progressbar::WriteProperties(bar_, *this, store);
}

void ProgressBarWidget::SetValue(int value) { Forward(&ProgressBar::SetValue, value); }
void ProgressBarWidget::SetMax(int max) { Forward(&ProgressBar::SetMax, max); }
void ProgressBarWidget::SetMin(int min) { Forward(&ProgressBar::SetMin, min); }
void ProgressBarWidget::SetRoundedValue(int rounded_value) {
  Forward(&ProgressBar::SetRoundedValue, rounded_value);
}
void ProgressBarWidget::SetEnabled(bool enabled) { Forward(&ProgressBar::SetEnabled, enabled); }
void ProgressBarWidget::SetTheme(int theme) { Forward(&ProgressBar::SetTheme, theme); }
void ProgressBarWidget::SetTextStyle(int text_style) {
  Forward(&ProgressBar::SetTextStyle, text_style);
}
void ProgressBarWidget::SetOrientations(int orientations) {
  Forward(&ProgressBar::SetOrientations, orientations);
}
void ProgressBarWidget::SetTextAlignment(int text_alignment) {
  Forward(&ProgressBar::SetTextAlignment, text_alignment);
}
void ProgressBarWidget::SetText(const QString& text) { Forward(&ProgressBar::SetText, text); }
void ProgressBarWidget::SetTextEffectColor(uint colour) {
  Forward(&ProgressBar::SetTextEffectColor, colour);
}
void ProgressBarWidget::SetTextEffect(int text_effect) {
  Forward(&ProgressBar::SetTextEffect, text_effect);
}
void ProgressBarWidget::SetTextForeColor(uint colour) {
  Forward(&ProgressBar::SetTextForeColor, colour);
}
void ProgressBarWidget::SetPBSCustomeColor1(uint colour) {
  Forward(&ProgressBar::SetPBSCustomeColor1, colour);
}
void ProgressBarWidget::SetPBSCustomeColor2(uint colour) {
  Forward(&ProgressBar::SetPBSCustomeColor2, colour);
}
void ProgressBarWidget::SetTextFontValue(const QFont& font) {
  Forward(&ProgressBar::SetTextFont, std::make_shared<QFont>(font));
}

QFont ProgressBarWidget::TextFontValue() const {
  const std::shared_ptr<QFont> font = bar_.TextFont();
  return font ? *font : QFont();
}

Status ProgressBarWidget::PropertyChanged(std::string_view name) {
  Q_EMIT propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  AnnounceTyped(name);
  return Status::Ok();
}

void ProgressBarWidget::AnnounceTyped(std::string_view name) {
  // The Qt property of the same name carries the typed signal (its NOTIFY),
  // which takes the property's value, of the property's type.
  const QMetaObject& meta = staticMetaObject;
  const QMetaProperty property =
      meta.property(meta.indexOfProperty(QByteArray(name.data(), name.size()).constData()));
  Q_ASSERT(property.isValid() && property.notifySignal().parameterCount() == 1 &&
           property.notifySignal().parameterMetaType(0) == property.metaType());
  QVariant value = property.read(this);
  void* arguments[] = {nullptr, value.data()};
  QMetaObject::metacall(this, QMetaObject::InvokeMetaMethod, property.notifySignalIndex(),
                        arguments);

  namespace key = property_name;
  if (name == key::kValue) {
    QAccessibleValueChangeEvent event(this, Value());
    SendAccessibilityUpdate(&event);
  }
  // What the caption shows and the room it needs: the size hints and the
  // accessible name follow them.
  constexpr std::string_view kShapeTheCaption[] = {
      key::kValue,      key::kMax,      key::kTextStyle,   key::kText,
      key::kTextEffect, key::kTextFont, key::kOrientations};
  if (std::find(std::begin(kShapeTheCaption), std::end(kShapeTheCaption), name) !=
      std::end(kShapeTheCaption)) {
    updateGeometry();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    SendAccessibilityUpdate(&event);
  }
}

QString ProgressBarWidget::CaptionText() const {
  if (bar_.TextEffect() < 1 || bar_.TextEffect() > 5) return {};
  const std::optional<double> percent = BarPercent(bar_);
  if (bar_.TextStyle() == 2 && !percent) return {};
  return CaptionFor(bar_.TextStyle(), bar_.Value(), percent.value_or(0), bar_.Text())
      .value_or(QString());
}

QFont ProgressBarWidget::CaptionFont() const {
  const std::shared_ptr<QFont> font = bar_.TextFont();
  return font ? *font : this->font();
}

DrawingSurface& ProgressBarWidget::Surface() {
  FitSurface();
  return surface_;
}

QSize ProgressBarWidget::minimumSizeHint() const {
  const QFontMetricsF metrics(CaptionFont());
  // The caption sits 1 pixel from the left edge and 3 from the right; a
  // bottom caption 1 pixel above the bottom edge.
  const QString caption = CaptionText();
  const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(caption))) + 4;
  const int height = static_cast<int>(std::ceil(metrics.height())) + 2;
  return QSize(std::max(width, 8), height);
}

QSize ProgressBarWidget::sizeHint() const {
  const QSize least = minimumSizeHint();
  if (bar_.Orientations() == static_cast<int>(Orientation::kVertical)) {
    return QSize(least.width() + 8, std::max(least.height() + 16, 200));
  }
  return QSize(std::max(least.width() + 16, 200), least.height() + 6);
}

void ProgressBarWidget::paintEvent(QPaintEvent* event) {
  StartOnFirstUse();
  // Moved to a screen of another pixel ratio: paint the picture afresh for it.
  if (FitSurface()) bar_.Resize();
  QPainter painter(this);
  const QImage& buffer = surface_.Image();
  if (buffer.isNull()) return;
  const QRectF target(event->rect());
  const qreal ratio = buffer.devicePixelRatio();
  painter.drawImage(target, buffer, QRectF(target.topLeft() * ratio, target.size() * ratio));
}

void ProgressBarWidget::resizeEvent(QResizeEvent*) {
  FitSurface();
  if (started_) {
    bar_.Resize();
  } else {
    StartOnFirstUse();  // paints at the new size
  }
}

void ProgressBarWidget::showEvent(QShowEvent* event) {
  StartOnFirstUse();
  QWidget::showEvent(event);
}

void ProgressBarWidget::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::FontChange:
      FollowParentFont();
      break;
    case QEvent::PaletteChange:
      surface_.SetBackColor(ToColour(palette().color(QPalette::Window)));
      if (started_) bar_.Resize();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

void ProgressBarWidget::FollowParentFont() {
  const QFont wanted = parentWidget() != nullptr ? parentWidget()->font() : font();
  if (*ambient_font_ == wanted) return;
  // The same object changes, so a bar that uses the ambient font follows it.
  *ambient_font_ = wanted;
  if (started_ && bar_.TextFont() == ambient_font_) bar_.Resize();
}

void ProgressBarWidget::ApplyRegion(const RoundRectRegion& region, bool redraw) {
  if (applied_region_ != region) {
    setMask(ToQRegion(region));
    applied_region_ = region;
  }
  if (redraw) update();
}

}  // namespace quorvel::progressbar
