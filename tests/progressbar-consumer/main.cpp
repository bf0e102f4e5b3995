// Places the installed progress bar in code and from a form, and checks a few
// pixels of each on the offscreen platform. Exits 0 when all hold.
#include <quorvel/progressbar/progress_bar_widget.h>
#include <QApplication>
#include <QImage>
#include <cstdio>

#include "ui_bar_form.h"

namespace {

int failures = 0;

void ExpectPixel(const QImage& image, int x, int y, QRgb expected, const char* what) {
  const QRgb seen = image.pixel(x, y) & 0xFFFFFF;
  if (seen == (expected & 0xFFFFFF)) return;
  std::fprintf(stderr, "%s: pixel (%d, %d) is %06X, expected %06X\n", what, x, y, seen,
               expected & 0xFFFFFF);
  ++failures;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  using quorvel::progressbar::ProgressBarWidget;

  // In code: the red theme half full, no caption.
  ProgressBarWidget coded;
  coded.resize(200, 24);
  coded.SetTheme(quorvel::progressbar::Theme::kRed);
  coded.SetTextStyle(quorvel::progressbar::TextStyle::kNone);
  const QImage coded_picture = coded.grab().toImage();
  ExpectPixel(coded_picture, 99, 12, 0xCB3939, "code, fill");
  ExpectPixel(coded_picture, 100, 12, 0xE2B6B6, "code, trough");

  // From the form: the green theme, 50 of 200.
  QWidget form;
  Ui::BarForm ui;
  ui.setupUi(&form);
  form.show();
  const QImage form_picture = ui.bar->grab().toImage();
  ExpectPixel(form_picture, 49, 12, 0x39CB46, "form, fill");
  ExpectPixel(form_picture, 50, 12, 0xB6E2BA, "form, trough");
  if (ui.bar->Max() != 200 || ui.bar->Value() != 50) {
    std::fprintf(stderr, "form: Max %d, Value %d, expected 200 and 50\n", ui.bar->Max(),
                 ui.bar->Value());
    ++failures;
  }
  std::printf("%s\n", failures == 0 ? "ok" : "failed");
  return failures == 0 ? 0 : 1;
}
