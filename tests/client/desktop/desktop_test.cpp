// The client on a desktop that is not drawn for it: the GTK platform theme
// with a dark theme and an 11 point desktop font, on X under openbox (the
// ctest entry sets that desktop up).  The windows keep their own 9 point
// face and every text stays readable, with the skin and without it.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <tuple>

#include "desktop_window.h"
#include "client/shell/qt/notice_window.h"

namespace quorvel::shell {
namespace {

using testing::DesktopWindow;

double Luminance(const QColor& c) {
  auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text in a picture against its ground: the ground is the commonest
// colour, the text the pixel that stands out from it most.
double TextContrast(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
  }
  QRgb ground = 0;
  int most = -1;
  for (const auto& [rgb, count] : counts) {
    if (count > most) std::tie(ground, most) = std::pair(rgb, count);
  }
  double best = 1.0;
  for (const auto& [rgb, count] : counts)
    best = std::max(best, Contrast(QColor(ground), QColor(rgb)));
  return best;
}

void SaveScreenshot(QWidget& window, const QString& name) {
  const QString folder = qEnvironmentVariable("QUORVEL_SCREENSHOT_DIR");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  window.grab().save(folder + QStringLiteral("/") + name);
}

class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { desktop_palette_ = QApplication::palette(); }

  void SetUp() override {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
      GTEST_SKIP() << "needs the desktop of tests/client/desktop/desktop_session.sh, not "
                   << qPrintable(QGuiApplication::platformName());
    }
    // The desktop this test is about; without it every check would pass.
    ASSERT_LT(desktop_palette_.color(QPalette::Window).lightness(), 100)
        << "the desktop's palette is not dark: is qt6-gtk-platformtheme installed?";
    ASSERT_EQ(QApplication::font().pointSize(), 11) << "the desktop's font is not 11 pt";
  }

  void TearDown() override {
    // A skin is the whole program's; the next window starts unskinned.
    qApp->setStyleSheet(QString());
    QApplication::setPalette(desktop_palette_);
  }

  static QPalette desktop_palette_;
};

QPalette DesktopTest::desktop_palette_;

template <typename W = QWidget>
W* Find(QWidget& in, const char* name) {
  W* found = in.findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

// The rows and every other text but the counter, whose red is the design's.
TEST_F(DesktopTest, EveryTextReadsAtLeastFourAndAHalfToOneUnderADarkTheme) {
  for (const bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "with the skin" : "without the skin");
    DesktopWindow desktop(skinned);
    desktop.StartAndChooseFirstRow();
    Main& main = desktop.window();
    auto* list = main.findChild<QTreeView*>();
    ASSERT_NE(list, nullptr);
    auto* links = Find<QListWidget>(main, "List1");
    ASSERT_NE(links, nullptr);
    ASSERT_GT(links->count(), 0);
    auto row = [&](int r) {
      const QRect cell = list->visualRect(list->model()->index(r, 0));
      return list->viewport()->grab(QRect(0, cell.top(), 543, cell.height()));
    };
    auto frame_title = [&] {
      QWidget* frame = Find(main, "Frame1");
      return frame->grab(QRect(0, 0, 120, 16));
    };
    // Without the skin the selection and the greyed captions are the
    // desktop's own pairs of colours, which the program leaves alone.
    const bool own_pairs = skinned;
    const std::tuple<const char*, bool, std::function<QPixmap()>> kTexts[] = {
        {"chosen row", own_pairs, [&] { return row(0); }},
        {"other row", true, [&] { return row(1); }},
        {"column headers", true, [&] { return list->header()->grab(); }},
        {"Text1", true, [&] { return Find(main, "Text1")->grab(); }},
        {"SoSo", true, [&] { return Find(main, "SoSo")->grab(); }},
        {"Command2", true, [&] { return Find(main, "Command2")->grab(); }},
        {"Qian (disabled)", own_pairs, [&] { return Find(main, "Qian")->grab(); }},
        {"Hou", true, [&] { return Find(main, "Hou")->grab(); }},
        {"Label1", true, [&] { return Find(main, "Label1")->grab(); }},
        {"Frame1 title", true, frame_title},
        {"List1 names", true,
         [&] { return links->viewport()->grab(links->visualItemRect(links->item(1))); }},
        {"notice plea", true, [&] { return Find(main.main1(), "Label1")->grab(); }},
    };
    for (const auto& [what, checked, grab] : kTexts) {
      if (!checked) continue;
      SCOPED_TRACE(what);
      EXPECT_GE(TextContrast(grab().toImage()), 4.5);
    }
    // The README's pictures of this desktop (dark, with an 11 pt font).
    SaveScreenshot(main, skinned ? QStringLiteral("dark-theme.png")
                                 : QStringLiteral("dark-theme-unskinned.png"));
  }
}

int TextWidth(const QWidget& w, const QString& text) {
  return QFontMetrics(w.font()).horizontalAdvance(text);
}

// The room each control gives its text, in its own coordinates.
QRect ButtonTextRoom(QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
}

QRect LineEditTextRoom(QLineEdit& edit) {
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.lineWidth = edit.hasFrame() ? 1 : 0;
  // QLineEdit keeps two pixels either side of its contents.
  return edit.style()
      ->subElementRect(QStyle::SE_LineEditContents, &option, &edit)
      .marginsRemoved(edit.textMargins())
      .adjusted(2, 0, -2, 0);
}

// Under the desktop's 11 pt font every caption and an ordinary row's cells
// fit their controls whole, as drawn for 9 pt.
TEST_F(DesktopTest, CaptionsAndCellsFitTheirControlsUnderAnElevenPointDesktopFont) {
  for (const bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "with the skin" : "without the skin");
    DesktopWindow desktop(skinned);
    desktop.StartAndChooseFirstRow();
    Main& main = desktop.window();
    struct Fit {
      QString what;
      QSize text;
      QRect room;
    };
    std::vector<Fit> fits;
    for (QAbstractButton* button : main.findChildren<QAbstractButton*>()) {
      const QFontMetrics metrics(button->font());
      fits.push_back({button->objectName(),
                      QSize(metrics.horizontalAdvance(button->text()), metrics.height()),
                      ButtonTextRoom(*button)});
    }
    auto* text1 = Find<QLineEdit>(main, "Text1");
    fits.push_back({"Text1", QSize(TextWidth(*text1, text1->text()), text1->fontMetrics().height()),
                    LineEditTextRoom(*text1)});
    auto* label1 = Find<QLabel>(main, "Label1");
    fits.push_back({"Label1",
                    QSize(TextWidth(*label1, label1->text()), label1->fontMetrics().height()),
                    label1->contentsRect()});
    auto* frame = Find<QGroupBox>(main, "Frame1");
    // The title sits above the first row of buttons.
    fits.push_back({"Frame1",
                    QSize(TextWidth(*frame, frame->title()), frame->fontMetrics().height()),
                    QRect(0, 0, frame->width(), Find(main, "Command2")->y())});
    auto* list = main.findChild<QTreeView*>();
    const int margin =
        2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
    for (int column = 0; column < 4; ++column) {
      const QString caption = list->model()->headerData(column, Qt::Horizontal).toString();
      fits.push_back({caption, QSize(TextWidth(*list->header(), caption) + 8, 0),
                      QRect(0, 0, list->header()->sectionSize(column), 1)});
      for (int row = 0; row < 2; ++row) {
        const QModelIndex cell = list->model()->index(row, column);
        fits.push_back(
            {cell.data().toString(),
             QSize(TextWidth(*list, cell.data().toString()) + margin, list->fontMetrics().height()),
             list->visualRect(cell)});
      }
    }
    auto* plea = Find<QLabel>(main.main1(), "Label1");
    const QRect wrapped =
        QFontMetrics(plea->font())
            .boundingRect(plea->contentsRect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                          plea->text());
    fits.push_back({"notice plea", wrapped.size(), plea->contentsRect()});

    for (const Fit& fit : fits) {
      SCOPED_TRACE(fit.what.toStdString());
      EXPECT_LE(fit.text.width(), fit.room.width());
      EXPECT_LE(fit.text.height(), fit.room.height());
    }
  }
}

}  // namespace
}  // namespace quorvel::shell
