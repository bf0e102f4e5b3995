#pragma once

#include <QComboBox>
#include <QLabel>
#include <QSettings>
#include <QSlider>
#include <QWidget>
#include <vector>

#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::gallery {

// One window with the progress bar in every look it has: the ten themes
// enabled and disabled, both orientations, the five text effects and the nine
// caption placements, under a row of live controls (value, theme, text
// style). The bars are saved to `settings` when the window closes (or on
// Save) and restored from it when it opens, if it holds them.
class GalleryWindow final : public QWidget {
  Q_OBJECT

 public:
  // `settings` must outlive the window. With `restore` false the bars start
  // with the gallery's own settings whatever `settings` holds.
  GalleryWindow(QSettings& settings, bool restore, QWidget* parent = nullptr);

  // Writes every bar into the settings.
  void SaveBars();
  // Reads every bar the settings hold back.
  void RestoreBars();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildControls();
  QWidget* BuildThemes();
  QWidget* BuildVertical();
  QWidget* BuildEffects();
  QWidget* BuildAlignments();
  progressbar::ProgressBarWidget* NewBar(const QString& name, QWidget* parent);
  void ApplyValue(int percent);
  void ApplyTheme(int theme);
  void ApplyTextStyle(int text_style);

  QSettings& settings_;
  QSlider* value_slider_ = nullptr;
  QLabel* value_label_ = nullptr;
  QComboBox* theme_box_ = nullptr;
  QComboBox* style_box_ = nullptr;
  std::vector<progressbar::ProgressBarWidget*> bars_;
  // The bars whose theme follows the theme box.
  std::vector<progressbar::ProgressBarWidget*> themed_by_box_;
};

}  // namespace quorvel::gallery
