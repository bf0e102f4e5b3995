#include "progressbar/widget/progress_bar_widget.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>
#include <algorithm>
#include <cmath>

#include "progressbar/bar_caption.h"
#include "progressbar/bar_renderer.h"
#include "progressbar/property_descriptions.h"
#include "progressbar/property_persistence.h"
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
  AnnounceTyped(name);
  return Status::Ok();
}

void ProgressBarWidget::AnnounceTyped(std::string_view name) {
  namespace key = property_name;
  // The caption and its font decide the size hints and the accessible name.
  bool caption_changed = true;
  if (name == key::kValue) {
    Q_EMIT valueChanged(Value());
    QAccessibleValueChangeEvent event(this, Value());
    SendAccessibilityUpdate(&event);
  } else if (name == key::kMax) {
    Q_EMIT maxChanged(Max());
  } else if (name == key::kMin) {
    Q_EMIT minChanged(Min());
    caption_changed = false;
  } else if (name == key::kTextStyle) {
    Q_EMIT textStyleChanged(TextStyle());
  } else if (name == key::kText) {
    Q_EMIT textChanged(Text());
  } else if (name == key::kTextEffect) {
    Q_EMIT textEffectChanged(TextEffect());
  } else if (name == key::kTextFont) {
    Q_EMIT textFontChanged(TextFontValue());
  } else if (name == key::kOrientations) {
    Q_EMIT orientationsChanged(Orientations());
  } else {
    caption_changed = false;
    if (name == key::kRoundedValue) {
      Q_EMIT roundedValueChanged(RoundedValue());
    } else if (name == key::kEnabled) {
      Q_EMIT enabledChanged(Enabled());
    } else if (name == key::kTheme) {
      Q_EMIT themeChanged(Theme());
    } else if (name == key::kTextAlignment) {
      Q_EMIT textAlignmentChanged(TextAlignment());
    } else if (name == key::kTextEffectColor) {
      Q_EMIT textEffectColorChanged(TextEffectColor());
    } else if (name == key::kTextForeColor) {
      Q_EMIT textForeColorChanged(TextForeColor());
    } else if (name == key::kPBSCustomeColor1) {
      Q_EMIT pbsCustomeColor1Changed(PBSCustomeColor1());
    } else if (name == key::kPBSCustomeColor2) {
      Q_EMIT pbsCustomeColor2Changed(PBSCustomeColor2());
    }
  }
  if (caption_changed) {
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
