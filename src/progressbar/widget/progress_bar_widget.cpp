#include "progressbar/widget/progress_bar_widget.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

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

// The widget's own host never refuses a notice, so the setters cannot fail.
void ProgressBarWidget::SetValue(int value) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetValue(value));
}
void ProgressBarWidget::SetMax(int max) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetMax(max));
}
void ProgressBarWidget::SetMin(int min) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetMin(min));
}
void ProgressBarWidget::SetRoundedValue(int rounded_value) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetRoundedValue(rounded_value));
}
void ProgressBarWidget::SetEnabled(bool enabled) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetEnabled(enabled));
}
void ProgressBarWidget::SetTheme(int theme) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTheme(theme));
}
void ProgressBarWidget::SetTextStyle(int text_style) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTextStyle(text_style));
}
void ProgressBarWidget::SetOrientations(int orientations) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetOrientations(orientations));
}
void ProgressBarWidget::SetTextAlignment(int text_alignment) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTextAlignment(text_alignment));
}
void ProgressBarWidget::SetText(const QString& text) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetText(text));
}
void ProgressBarWidget::SetTextEffectColor(uint colour) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTextEffectColor(colour));
}
void ProgressBarWidget::SetTextEffect(int text_effect) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTextEffect(text_effect));
}
void ProgressBarWidget::SetTextForeColor(uint colour) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetTextForeColor(colour));
}
void ProgressBarWidget::SetPBSCustomeColor1(uint colour) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetPBSCustomeColor1(colour));
}
void ProgressBarWidget::SetPBSCustomeColor2(uint colour) {
  StartOnFirstUse();
  static_cast<void>(bar_.SetPBSCustomeColor2(colour));
}

QFont ProgressBarWidget::TextFontValue() const {
  const std::shared_ptr<QFont> font = bar_.TextFont();
  return font ? *font : QFont();
}

void ProgressBarWidget::SetTextFontValue(const QFont& font) {
  StartOnFirstUse();
  StartOnFirstUse();
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
  StartOnFirstUse();
  QPainter painter(this);
  const QImage& buffer = surface_.Image();
  if (buffer.isNull()) return;
  painter.drawImage(event->rect(), buffer, event->rect());
}

void ProgressBarWidget::resizeEvent(QResizeEvent* event) {
  if (surface_.Image().size() != event->size()) surface_.Resize(event->size());
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
