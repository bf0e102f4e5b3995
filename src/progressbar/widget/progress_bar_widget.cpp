#include "progressbar/widget/progress_bar_widget.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "progressbar/property_persistence.h"
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
  surface_.Resize(size());
  // A new widget is a new instance; a host that restores one reads over it.
  static_cast<void>(InitProperties(bar_, *this));
}

ProgressBarWidget::~ProgressBarWidget() = default;

void ProgressBarWidget::ReadProperties(PropertyStore& store) {
  progressbar::ReadProperties(bar_, *this, store);
}

Status ProgressBarWidget::WriteProperties(PropertyStore& store) const {
  return progressbar::WriteProperties(bar_, *this, store);
}

// The widget's own host never refuses a notice, so the setters cannot fail.
void ProgressBarWidget::SetValue(int value) { static_cast<void>(bar_.SetValue(value)); }
void ProgressBarWidget::SetMax(int max) { static_cast<void>(bar_.SetMax(max)); }
void ProgressBarWidget::SetMin(int min) { static_cast<void>(bar_.SetMin(min)); }
void ProgressBarWidget::SetRoundedValue(int rounded_value) {
  static_cast<void>(bar_.SetRoundedValue(rounded_value));
}
void ProgressBarWidget::SetEnabled(bool enabled) { static_cast<void>(bar_.SetEnabled(enabled)); }
void ProgressBarWidget::SetTheme(int theme) { static_cast<void>(bar_.SetTheme(theme)); }
void ProgressBarWidget::SetTextStyle(int text_style) {
  static_cast<void>(bar_.SetTextStyle(text_style));
}
void ProgressBarWidget::SetOrientations(int orientations) {
  static_cast<void>(bar_.SetOrientations(orientations));
}
void ProgressBarWidget::SetTextAlignment(int text_alignment) {
  static_cast<void>(bar_.SetTextAlignment(text_alignment));
}
void ProgressBarWidget::SetText(const QString& text) { static_cast<void>(bar_.SetText(text)); }
void ProgressBarWidget::SetTextEffectColor(uint colour) {
  static_cast<void>(bar_.SetTextEffectColor(colour));
}
void ProgressBarWidget::SetTextEffect(int text_effect) {
  static_cast<void>(bar_.SetTextEffect(text_effect));
}
void ProgressBarWidget::SetTextForeColor(uint colour) {
  static_cast<void>(bar_.SetTextForeColor(colour));
}
void ProgressBarWidget::SetPBSCustomeColor1(uint colour) {
  static_cast<void>(bar_.SetPBSCustomeColor1(colour));
}
void ProgressBarWidget::SetPBSCustomeColor2(uint colour) {
  static_cast<void>(bar_.SetPBSCustomeColor2(colour));
}

QFont ProgressBarWidget::TextFontValue() const {
  const std::shared_ptr<QFont> font = bar_.TextFont();
  return font ? *font : QFont();
}

void ProgressBarWidget::SetTextFontValue(const QFont& font) {
  static_cast<void>(bar_.SetTextFont(std::make_shared<QFont>(font)));
}

Status ProgressBarWidget::PropertyChanged(std::string_view name) {
  Q_EMIT propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  return Status::Ok();
}

DrawingSurface& ProgressBarWidget::Surface() {
  if (surface_.Image().size() != size()) surface_.Resize(size());
  return surface_;
}

QSize ProgressBarWidget::sizeHint() const { return QSize(200, 24); }

QSize ProgressBarWidget::minimumSizeHint() const { return QSize(16, 8); }

void ProgressBarWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QImage& buffer = surface_.Image();
  if (buffer.isNull()) return;
  painter.drawImage(event->rect(), buffer, event->rect());
}

void ProgressBarWidget::resizeEvent(QResizeEvent* event) {
  if (surface_.Image().size() != event->size()) surface_.Resize(event->size());
  bar_.Resize();
}

void ProgressBarWidget::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::FontChange:
      FollowParentFont();
      break;
    case QEvent::PaletteChange:
      surface_.SetBackColor(ToColour(palette().color(QPalette::Window)));
      bar_.Resize();
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
  if (bar_.TextFont() == ambient_font_) bar_.Resize();
}

void ProgressBarWidget::ApplyRegion(const RoundRectRegion& region, bool redraw) {
  if (applied_region_ != region) {
    setMask(ToQRegion(region));
    applied_region_ = region;
  }
  if (redraw) update();
}

}  // namespace quorvel::progressbar
