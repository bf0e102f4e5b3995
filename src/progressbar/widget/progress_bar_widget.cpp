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

#include "progressbar/property_persistence.h"
#include "progressbar/property_table.h"
#include "progressbar/widget/progress_bar_accessible.h"
#include "progressbar/widget/progress_bar_widget_private.h"
#include "progressbar/window_region.h"

namespace quorvel::progressbar {

namespace {

Colour ToColour(const QColor& colour) {
  return Rgb(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
             static_cast<std::uint8_t>(colour.blue()));
}

}  // namespace

ProgressBarWidgetPrivate::ProgressBarWidgetPrivate(ProgressBarWidget& q, QWidget* parent)
    : q(q),
      ambient_font(std::make_shared<QFont>(parent != nullptr ? parent->font() : q.font())),
      bar(q) {}

ProgressBarWidget::ProgressBarWidget(QWidget* parent)
    : QWidget(parent), d_(std::make_unique<ProgressBarWidgetPrivate>(*this, parent)) {
  // The back buffer covers every pixel, so nothing needs clearing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  d_->surface.SetBackColor(ToColour(palette().color(QPalette::Window)));
  d_->surface.OnWindowRegion(
      [this](const RoundRectRegion& region, bool redraw) { d_->ApplyRegion(region, redraw); });
  d_->FitSurface();
  // Once per program: screen readers reach every bar through this factory.
  static const bool accessible = [] {
    QAccessible::installFactory(&ProgressBarAccessibleFactory);
    return true;
  }();
  static_cast<void>(accessible);
}

bool ProgressBarWidgetPrivate::FitSurface() {
  const qreal ratio = q.devicePixelRatioF();
  if (surface.Size() == q.size() && surface.DevicePixelRatio() == ratio) return false;
  surface.SetDevicePixelRatio(ratio);
  surface.Resize(q.size());
  return true;
}

ProgressBarWidget::~ProgressBarWidget() = default;

ProgressBar& ProgressBarWidget::Bar() {
  d_->StartOnFirstUse();
  return d_->bar;
}

const ProgressBar& ProgressBarWidget::Bar() const { return d_->bar; }

const QImage& ProgressBarWidget::BackBuffer() const { return d_->surface.Image(); }

Status ProgressBarWidget::InitProperties() {
  if (d_->started) return Status::Ok();
  d_->started = true;
  return progressbar::InitProperties(d_->bar, *this);
}

void ProgressBarWidgetPrivate::StartOnFirstUse() {
  if (!started) static_cast<void>(q.InitProperties());
}

void ProgressBarWidget::ReadProperties(PropertyStore& store) {
  d_->started = true;
  progressbar::ReadProperties(d_->bar, *this, store);
}

Status ProgressBarWidget::WriteProperties(PropertyStore& store) const {
  return progressbar::WriteProperties(d_->bar, *this, store);
}

int ProgressBarWidget::Value() const { return d_->bar.Value(); }
int ProgressBarWidget::Max() const { return d_->bar.Max(); }
int ProgressBarWidget::Min() const { return d_->bar.Min(); }
int ProgressBarWidget::RoundedValue() const { return d_->bar.RoundedValue(); }
bool ProgressBarWidget::Enabled() const { return d_->bar.Enabled(); }
int ProgressBarWidget::Theme() const { return d_->bar.Theme(); }
int ProgressBarWidget::TextStyle() const { return d_->bar.TextStyle(); }
int ProgressBarWidget::Orientations() const { return d_->bar.Orientations(); }
int ProgressBarWidget::TextAlignment() const { return d_->bar.TextAlignment(); }
QString ProgressBarWidget::Text() const { return d_->bar.Text(); }
uint ProgressBarWidget::TextEffectColor() const { return d_->bar.TextEffectColor(); }
int ProgressBarWidget::TextEffect() const { return d_->bar.TextEffect(); }
uint ProgressBarWidget::TextForeColor() const { return d_->bar.TextForeColor(); }
uint ProgressBarWidget::PBSCustomeColor1() const { return d_->bar.PBSCustomeColor1(); }
uint ProgressBarWidget::PBSCustomeColor2() const { return d_->bar.PBSCustomeColor2(); }

void ProgressBarWidget::SetValue(int value) { d_->Forward(&ProgressBar::SetValue, value); }
void ProgressBarWidget::SetMax(int max) { d_->Forward(&ProgressBar::SetMax, max); }
void ProgressBarWidget::SetMin(int min) { d_->Forward(&ProgressBar::SetMin, min); }
void ProgressBarWidget::SetRoundedValue(int rounded_value) {
  d_->Forward(&ProgressBar::SetRoundedValue, rounded_value);
}
void ProgressBarWidget::SetEnabled(bool enabled) { d_->Forward(&ProgressBar::SetEnabled, enabled); }
void ProgressBarWidget::SetTheme(int theme) { d_->Forward(&ProgressBar::SetTheme, theme); }
void ProgressBarWidget::SetTextStyle(int text_style) {
  d_->Forward(&ProgressBar::SetTextStyle, text_style);
}
void ProgressBarWidget::SetOrientations(int orientations) {
  d_->Forward(&ProgressBar::SetOrientations, orientations);
}
void ProgressBarWidget::SetTextAlignment(int text_alignment) {
  d_->Forward(&ProgressBar::SetTextAlignment, text_alignment);
}
void ProgressBarWidget::SetText(const QString& text) { d_->Forward(&ProgressBar::SetText, text); }
void ProgressBarWidget::SetTextEffectColor(uint colour) {
  d_->Forward(&ProgressBar::SetTextEffectColor, colour);
}
void ProgressBarWidget::SetTextEffect(int text_effect) {
  d_->Forward(&ProgressBar::SetTextEffect, text_effect);
}
void ProgressBarWidget::SetTextForeColor(uint colour) {
  d_->Forward(&ProgressBar::SetTextForeColor, colour);
}
void ProgressBarWidget::SetPBSCustomeColor1(uint colour) {
  d_->Forward(&ProgressBar::SetPBSCustomeColor1, colour);
}
void ProgressBarWidget::SetPBSCustomeColor2(uint colour) {
  d_->Forward(&ProgressBar::SetPBSCustomeColor2, colour);
}
void ProgressBarWidget::SetTextFontValue(const QFont& font) {
  d_->Forward(&ProgressBar::SetTextFont, std::make_shared<QFont>(font));
}

QFont ProgressBarWidget::TextFontValue() const {
  const std::shared_ptr<QFont> font = d_->bar.TextFont();
  return font ? *font : QFont();
}

Status ProgressBarWidget::PropertyChanged(std::string_view name) {
  Q_EMIT propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  d_->AnnounceTyped(name);
  return Status::Ok();
}

QString ProgressBarWidget::DisplayName() const { return objectName(); }

std::shared_ptr<QFont> ProgressBarWidget::Font() const { return d_->ambient_font; }

void ProgressBarWidgetPrivate::AnnounceTyped(std::string_view name) {
  // The Qt property of the same name carries the typed signal (its NOTIFY),
  // which takes the property's value, of the property's type.
  const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
  const QMetaProperty property =
      meta.property(meta.indexOfProperty(QByteArray(name.data(), name.size()).constData()));
  Q_ASSERT(property.isValid() && property.notifySignal().parameterCount() == 1 &&
           property.notifySignal().parameterMetaType(0) == property.metaType());
  QVariant value = property.read(&q);
  void* arguments[] = {nullptr, value.data()};
  QMetaObject::metacall(&q, QMetaObject::InvokeMetaMethod, property.notifySignalIndex(), arguments);

  namespace key = property_name;
  if (name == key::kValue) {
    QAccessibleValueChangeEvent event(&q, bar.Value());
    SendAccessibilityUpdate(&event);
  }
  // What the caption shows and the room it needs: the size hints and the
  // accessible name follow them.
  constexpr std::string_view kShapeTheCaption[] = {
      key::kValue,      key::kMax,      key::kTextStyle,   key::kText,
      key::kTextEffect, key::kTextFont, key::kOrientations};
  if (std::find(std::begin(kShapeTheCaption), std::end(kShapeTheCaption), name) !=
      std::end(kShapeTheCaption)) {
    q.updateGeometry();
    QAccessibleEvent event(&q, QAccessible::NameChanged);
    SendAccessibilityUpdate(&event);
  }
}

QString ProgressBarWidget::CaptionText() const { return d_->bar.CaptionText(); }

QFont ProgressBarWidgetPrivate::CaptionFont() const {
  const std::shared_ptr<QFont> font = bar.TextFont();
  return font ? *font : q.font();
}

DrawingSurface& ProgressBarWidget::Surface() {
  d_->FitSurface();
  return d_->surface;
}

QSize ProgressBarWidget::minimumSizeHint() const {
  const QFontMetricsF metrics(d_->CaptionFont());
  // The caption sits 1 pixel from the left edge and 3 from the right; a
  // bottom caption 1 pixel above the bottom edge.
  const QString caption = CaptionText();
  const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(caption))) + 4;
  const int height = static_cast<int>(std::ceil(metrics.height())) + 2;
  return QSize(std::max(width, 8), height);
}

QSize ProgressBarWidget::sizeHint() const {
  const QSize least = minimumSizeHint();
  if (d_->bar.Orientations() == static_cast<int>(Orientation::kVertical)) {
    return QSize(least.width() + 8, std::max(least.height() + 16, 200));
  }
  return QSize(std::max(least.width() + 16, 200), least.height() + 6);
}

void ProgressBarWidget::paintEvent(QPaintEvent* event) {
  d_->StartOnFirstUse();
  // Moved to a screen of another pixel ratio: paint the picture afresh for it.
  if (d_->FitSurface()) d_->bar.Resize();
  QPainter painter(this);
  const QImage& buffer = d_->surface.Image();
  if (buffer.isNull()) return;
  const QRectF target(event->rect());
  const qreal ratio = buffer.devicePixelRatio();
  painter.drawImage(target, buffer, QRectF(target.topLeft() * ratio, target.size() * ratio));
}

void ProgressBarWidget::resizeEvent(QResizeEvent*) {
  d_->FitSurface();
  if (d_->started) {
    d_->bar.Resize();
  } else {
    d_->StartOnFirstUse();  // paints at the new size
  }
}

void ProgressBarWidget::showEvent(QShowEvent* event) {
  d_->StartOnFirstUse();
  QWidget::showEvent(event);
}

void ProgressBarWidget::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::FontChange:
      d_->FollowParentFont();
      break;
    case QEvent::PaletteChange:
      d_->surface.SetBackColor(ToColour(palette().color(QPalette::Window)));
      if (d_->started) d_->bar.Resize();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

void ProgressBarWidgetPrivate::FollowParentFont() {
  const QFont wanted = q.parentWidget() != nullptr ? q.parentWidget()->font() : q.font();
  if (*ambient_font == wanted) return;
  // The same object changes, so a bar that uses the ambient font follows it.
  *ambient_font = wanted;
  if (started && bar.TextFont() == ambient_font) bar.Resize();
}

void ProgressBarWidgetPrivate::ApplyRegion(const RoundRectRegion& region, bool redraw) {
  if (applied_region != region) {
    q.setMask(ToQRegion(region));
    applied_region = region;
  }
  if (redraw) q.update();
}

}  // namespace quorvel::progressbar
