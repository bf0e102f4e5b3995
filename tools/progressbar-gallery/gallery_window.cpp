#include "gallery_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "progressbar/colour.h"
#include "progressbar/settings_property_store.h"

namespace quorvel::gallery {

namespace {

using progressbar::ProgressBarWidget;
using progressbar::Rgb;

constexpr const char* kThemeNames[] = {"gold",          "lime",    "green", "teal",
                                       "blue-violet",   "magenta", "red",   "sky blue",
                                       "green on grey", "custom"};
constexpr const char* kEffectNames[] = {"Plain", "Raised", "Sunken", "Outline", "Shadow"};
constexpr const char* kPlaceNames[] = {"top left",   "middle left",   "bottom left",
                                       "top centre", "middle centre", "bottom centre",
                                       "top right",  "middle right",  "bottom right"};

// The custom theme's colours: an orange bar in a slate trough.
constexpr progressbar::Colour kCustomBar = Rgb(0xE0, 0x70, 0x10);
constexpr progressbar::Colour kCustomTrough = Rgb(0x50, 0x5A, 0x6E);

constexpr int kStartPercent = 62;

QGroupBox* Group(const QString& title) {
  auto* box = new QGroupBox(title);
  return box;
}

}  // namespace

GalleryWindow::GalleryWindow(QSettings& settings, bool restore, QWidget* parent)
    : QWidget(parent), settings_(settings) {
  setWindowTitle(QStringLiteral("Progress bar gallery"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildControls());
  auto* middle = new QHBoxLayout;
  middle->addWidget(BuildThemes(), 3);
  middle->addWidget(BuildVertical(), 2);
  layout->addLayout(middle);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BuildEffects(), 2);
  bottom->addWidget(BuildAlignments(), 3);
  layout->addLayout(bottom);
  ApplyValue(kStartPercent);
  if (restore) RestoreBars();
}

QWidget* GalleryWindow::BuildControls() {
  auto* box = Group(QStringLiteral("Live controls"));
  auto* row = new QHBoxLayout(box);
  row->addWidget(new QLabel(QStringLiteral("Value")));
  value_slider_ = new QSlider(Qt::Horizontal);
  value_slider_->setRange(0, 100);
  value_slider_->setValue(kStartPercent);
  value_slider_->setMinimumWidth(220);
  row->addWidget(value_slider_, 1);
  value_label_ = new QLabel(QString::number(kStartPercent));
  value_label_->setMinimumWidth(28);
  row->addWidget(value_label_);
  connect(value_slider_, &QSlider::valueChanged, this, [this](int percent) {
    value_label_->setNum(percent);
    ApplyValue(percent);
  });

  row->addSpacing(16);
  row->addWidget(new QLabel(QStringLiteral("Theme of effects and placements")));
  theme_box_ = new QComboBox;
  for (int theme = 1; theme <= 10; ++theme) {
    theme_box_->addItem(QStringLiteral("%1 %2").arg(theme).arg(kThemeNames[theme - 1]), theme);
  }
  row->addWidget(theme_box_);
  connect(theme_box_, &QComboBox::activated, this,
          [this](int index) { ApplyTheme(theme_box_->itemData(index).toInt()); });

  row->addSpacing(16);
  row->addWidget(new QLabel(QStringLiteral("Text style")));
  style_box_ = new QComboBox;
  style_box_->addItem(QStringLiteral("3 text"), 3);
  style_box_->addItem(QStringLiteral("2 percentage"), 2);
  style_box_->addItem(QStringLiteral("1 value"), 1);
  style_box_->addItem(QStringLiteral("0 none"), 0);
  row->addWidget(style_box_);
  connect(style_box_, &QComboBox::activated, this,
          [this](int index) { ApplyTextStyle(style_box_->itemData(index).toInt()); });

  row->addSpacing(16);
  auto* save = new QPushButton(QStringLiteral("Save"));
  connect(save, &QPushButton::clicked, this, &GalleryWindow::SaveBars);
  row->addWidget(save);
  auto* restore = new QPushButton(QStringLiteral("Restore"));
  connect(restore, &QPushButton::clicked, this, &GalleryWindow::RestoreBars);
  row->addWidget(restore);
  return box;
}

ProgressBarWidget* GalleryWindow::NewBar(const QString& name, QWidget* parent) {
  auto* bar = new ProgressBarWidget(parent);
  bar->setObjectName(name);
  bars_.push_back(bar);
  return bar;
}

QWidget* GalleryWindow::BuildThemes() {
  auto* box = Group(QStringLiteral("Themes, enabled and disabled"));
  auto* grid = new QGridLayout(box);
  grid->setVerticalSpacing(6);
  for (int theme = 1; theme <= 10; ++theme) {
    const int row = theme - 1;
    grid->addWidget(new QLabel(QStringLiteral("%1 %2").arg(theme).arg(kThemeNames[row])), row, 0);
    for (int column = 0; column < 2; ++column) {
      const bool enabled = column == 0;
      ProgressBarWidget* bar =
          NewBar(QStringLiteral("Theme%1%2").arg(theme).arg(enabled ? "" : "Disabled"), box);
      bar->setFixedSize(250, 24);
      bar->SetPBSCustomeColor1(kCustomBar);
      bar->SetPBSCustomeColor2(kCustomTrough);
      bar->SetTheme(theme);
      bar->SetText(enabled ? QStringLiteral("Theme %1").arg(theme)
                           : QStringLiteral("Theme %1, disabled").arg(theme));
      bar->SetTextEffect(theme == 10 ? 5 : 1);
      bar->SetTextForeColor(theme == 10 ? Rgb(255, 255, 255) : Rgb(0x20, 0x20, 0x20));
      bar->SetTextEffectColor(Rgb(0, 0, 0));
      bar->SetEnabled(enabled);
      grid->addWidget(bar, row, column + 1);
    }
  }
  return box;
}

QWidget* GalleryWindow::BuildVertical() {
  auto* box = Group(QStringLiteral("Vertical: fills from the top down"));
  auto* grid = new QGridLayout(box);
  for (int theme = 1; theme <= 10; ++theme) {
    ProgressBarWidget* bar = NewBar(QStringLiteral("Vertical%1").arg(theme), box);
    bar->setFixedSize(26, 230);
    bar->SetPBSCustomeColor1(kCustomBar);
    bar->SetPBSCustomeColor2(kCustomTrough);
    bar->SetTheme(theme);
    bar->SetOrientations(2);
    bar->SetRoundedValue(8);
    bar->SetText(QString::number(theme));
    bar->SetTextAlignment(6);
    bar->SetTextEffect(1);
    bar->SetEnabled(theme != 5);
    grid->addWidget(bar, 0, theme - 1, Qt::AlignHCenter);
    auto* label = new QLabel(theme == 5 ? QStringLiteral("5 off") : QString::number(theme));
    label->setAlignment(Qt::AlignHCenter);
    grid->addWidget(label, 1, theme - 1);
  }
  return box;
}

QWidget* GalleryWindow::BuildEffects() {
  auto* box = Group(QStringLiteral("Text effects"));
  auto* grid = new QGridLayout(box);
  QFont caption = font();
  caption.setPointSizeF(caption.pointSizeF() * 1.5);
  caption.setBold(true);
  for (int effect = 1; effect <= 5; ++effect) {
    const int row = effect - 1;
    grid->addWidget(new QLabel(QStringLiteral("%1 %2").arg(effect).arg(kEffectNames[row])), row, 0);
    ProgressBarWidget* bar = NewBar(QStringLiteral("Effect%1").arg(effect), box);
    bar->setFixedSize(280, 34);
    bar->SetPBSCustomeColor1(kCustomBar);
    bar->SetPBSCustomeColor2(kCustomTrough);
    bar->SetTheme(8);
    bar->SetRoundedValue(10);
    bar->SetTextFontValue(caption);
    bar->SetText(QStringLiteral("%1 caption").arg(kEffectNames[row]));
    bar->SetTextEffect(effect);
    // Dark letters with light strokes, except the shadow: white over black.
    bar->SetTextForeColor(effect == 5 ? Rgb(255, 255, 255) : Rgb(0x20, 0x20, 0x40));
    bar->SetTextEffectColor(effect == 5 ? Rgb(0, 0, 0) : Rgb(255, 255, 255));
    grid->addWidget(bar, row, 1);
    themed_by_box_.push_back(bar);
  }
  return box;
}

QWidget* GalleryWindow::BuildAlignments() {
  auto* box = Group(QStringLiteral("Caption placements"));
  auto* grid = new QGridLayout(box);
  for (int alignment = 1; alignment <= 9; ++alignment) {
    ProgressBarWidget* bar = NewBar(QStringLiteral("Placement%1").arg(alignment), box);
    bar->setFixedSize(200, 52);
    bar->SetPBSCustomeColor1(kCustomBar);
    bar->SetPBSCustomeColor2(kCustomTrough);
    bar->SetTheme(8);
    bar->SetTextAlignment(alignment);
    bar->SetText(QStringLiteral("%1 %2").arg(alignment).arg(kPlaceNames[alignment - 1]));
    bar->SetTextEffect(1);
    // Columns left, centre, right; rows top, middle, bottom.
    grid->addWidget(bar, (alignment - 1) % 3, (alignment - 1) / 3);
    themed_by_box_.push_back(bar);
  }
  theme_box_->setCurrentIndex(7);
  return box;
}

void GalleryWindow::ApplyValue(int percent) {
  for (ProgressBarWidget* bar : bars_) bar->SetValue(percent * bar->Max() / 100);
}

void GalleryWindow::ApplyTheme(int theme) {
  for (ProgressBarWidget* bar : themed_by_box_) bar->SetTheme(theme);
}

void GalleryWindow::ApplyTextStyle(int text_style) {
  for (ProgressBarWidget* bar : bars_) bar->SetTextStyle(text_style);
}

void GalleryWindow::SaveBars() {
  for (ProgressBarWidget* bar : bars_) {
    progressbar::SettingsPropertyStore store(settings_, bar->objectName());
    static_cast<void>(bar->WriteProperties(store));
  }
  // Marks the bars as saved, so that a bar whose every value is a default
  // still counts as present.
  settings_.setValue(QStringLiteral("Gallery/Saved"), true);
  settings_.sync();
}

void GalleryWindow::RestoreBars() {
  if (!settings_.value(QStringLiteral("Gallery/Saved")).toBool()) return;
  for (ProgressBarWidget* bar : bars_) {
    progressbar::SettingsPropertyStore store(settings_, bar->objectName());
    bar->ReadProperties(store);
  }
  if (!bars_.empty()) {
    const ProgressBarWidget* first = bars_.front();
    value_slider_->blockSignals(true);
    value_slider_->setValue(first->Value() * 100 / first->Max());
    value_slider_->blockSignals(false);
    value_label_->setNum(value_slider_->value());
  }
}

void GalleryWindow::closeEvent(QCloseEvent* event) {
  SaveBars();
  event->accept();
}

}  // namespace quorvel::gallery
