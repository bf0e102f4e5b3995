// The widget that hosts the bar: back buffer, window shape, notices, ambient
// name and font, Qt properties and their descriptions.
#include "progressbar/widget/progress_bar_widget.h"

#include <gtest/gtest.h>

#include <QMetaClassInfo>
#include <QMetaProperty>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <set>
#include <string>
#include <vector>

#include "progressbar/memory_property_store.h"
#include "progressbar/property_table.h"
#include "progressbar/settings_property_store.h"
#include "progressbar/theme_palettes.h"
#include "stored_key_order.h"

namespace quorvel::progressbar {
namespace {

QRgb Pixel(Colour colour) { return qRgb(GetRed(colour), GetGreen(colour), GetBlue(colour)); }

std::vector<std::string> Names(const QSignalSpy& spy) {
  std::vector<std::string> names;
  for (const QList<QVariant>& call : spy) names.push_back(call.at(0).toString().toStdString());
  return names;
}

TEST(ProgressBarWidget, StartsFromTheZeroStateWithExactlyOneOfInitOrRead) {
  ProgressBarWidget restored;
  const ProgressBarWidget& seen = restored;
  EXPECT_EQ(seen.Bar().Max(), 0);
  EXPECT_FALSE(seen.Bar().Enabled());
  EXPECT_EQ(seen.Bar().TextFont(), nullptr);
  QSignalSpy restore_spy(&restored, &ProgressBarWidget::propertyChanged);
  MemoryPropertyStore store;
  store.Set("Max", 10);
  store.Set("Theme", 11);
  store.Set("Enabled", false);
  restored.ReadProperties(store);
  EXPECT_EQ(Names(restore_spy), testing::kReadOrder);
  // No valid theme was ever loaded, so the greyed palette is still all black.
  EXPECT_EQ(seen.Bar().ThemeColours(), ThemeColourTable{});
  EXPECT_EQ(seen.Bar().Value(), 10);

  // Used before it started: the creation values first, once, then the change.
  ProgressBarWidget used;
  QSignalSpy use_spy(&used, &ProgressBarWidget::propertyChanged);
  EXPECT_TRUE(used.setProperty("Value", 70));
  used.resize(120, 20);
  used.show();
  ASSERT_EQ(use_spy.count(), 15);
  EXPECT_EQ(use_spy.at(0).at(0).toString(), "Max");
  EXPECT_EQ(use_spy.at(14).at(0).toString(), "Value");
  EXPECT_EQ(used.Value(), 70);
  EXPECT_EQ(used.Text(), "Vorn ProgressBar");
  EXPECT_TRUE(used.InitProperties().ok());
  EXPECT_EQ(use_spy.count(), 15);
}

TEST(ProgressBarWidget, ANewWidgetIsANewInstancePaintedIntoItsBackBuffer) {
  QWidget parent;
  parent.resize(300, 100);
  ProgressBarWidget widget(&parent);
  widget.resize(240, 24);
  parent.show();  // delivers the resize events held back while hidden
  EXPECT_EQ(widget.Bar().Text(), "Vorn ProgressBar");
  EXPECT_EQ(widget.Bar().TextStyle(), 3);
  EXPECT_EQ(widget.BackBuffer().size(), QSize(240, 24));
  EXPECT_EQ(widget.BackBuffer().pixel(0, 12), Pixel(FromRrggbb(0xCCA83E)));
  widget.SetTextStyle(0);  // the caption covers the middle
  EXPECT_EQ(widget.BackBuffer().pixel(119, 12), Pixel(FromRrggbb(0xCBA639)));
  EXPECT_EQ(widget.BackBuffer().pixel(120, 12), Pixel(FromRrggbb(0xE2D7B6)));
}

TEST(ProgressBarWidget, ThePictureOnScreenIsTheBackBuffer) {
  ProgressBarWidget widget;
  widget.resize(200, 30);
  widget.SetRoundedValue(0);
  const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), widget.BackBuffer().size());
  EXPECT_EQ(shown, widget.BackBuffer());
}

TEST(ProgressBarWidget, WindowShapeFollowsTheRoundedRegion) {
  QWidget parent;  // masks are for child widgets on the offscreen platform
  parent.resize(400, 100);
  ProgressBarWidget widget(&parent);
  widget.resize(200, 30);
  parent.show();
  widget.SetRoundedValue(12);
  EXPECT_FALSE(widget.mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(widget.mask().contains(QPoint(199, 29)));
  EXPECT_TRUE(widget.mask().contains(QPoint(0, 15)));
  EXPECT_TRUE(widget.mask().contains(QPoint(100, 0)));
  EXPECT_TRUE(widget.mask().contains(QPoint(199, 15)));
  EXPECT_FALSE(widget.mask().contains(QPoint(200, 15)));
  widget.SetRoundedValue(0);
  EXPECT_TRUE(widget.mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(widget.mask().contains(QPoint(199, 29)));
  widget.resize(300, 40);
  EXPECT_TRUE(widget.mask().contains(QPoint(299, 39)));
  EXPECT_EQ(widget.BackBuffer().size(), QSize(300, 40));
}

TEST(ProgressBarWidget, EveryChangeIsAnnouncedAsASignal) {
  ProgressBarWidget widget;
  ASSERT_TRUE(widget.InitProperties().ok());
  QSignalSpy spy(&widget, &ProgressBarWidget::propertyChanged);
  widget.SetTheme(3);
  widget.SetMax(40);  // moves Value from 50 to 40 first
  ASSERT_EQ(spy.count(), 3);
  EXPECT_EQ(spy.at(0).at(0).toString(), "Theme");
  EXPECT_EQ(spy.at(1).at(0).toString(), "Value");
  EXPECT_EQ(spy.at(2).at(0).toString(), "Max");
}

TEST(ProgressBarWidget, AmbientNameIsTheObjectNameAndAmbientFontTheParentsFont) {
  QWidget parent;
  QFont parent_font("DejaVu Serif", 14);
  parent.setFont(parent_font);
  ProgressBarWidget widget(&parent);
  widget.setObjectName("Downloads");
  EXPECT_EQ(widget.DisplayName(), "Downloads");
  ASSERT_NE(widget.Font(), nullptr);
  EXPECT_EQ(*widget.Font(), parent_font);
  // A new instance's caption font is the ambient font object itself, and it
  // follows the parent's font.
  EXPECT_EQ(widget.Bar().TextFont(), widget.Font());
  QFont larger("DejaVu Serif", 20);
  parent.setFont(larger);
  EXPECT_EQ(*widget.Bar().TextFont(), larger);

  MemoryPropertyStore empty;
  widget.ReadProperties(empty);
  EXPECT_EQ(widget.Text(), "Downloads");
}

TEST(ProgressBarWidget, PublishesSixteenPropertiesWithTheirDescriptions) {
  const QMetaObject& meta = ProgressBarWidget::staticMetaObject;
  std::set<std::string> names;
  for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
    names.insert(meta.property(i).name());
  }
  ASSERT_EQ(names.size(), kPropertyCount);
  for (const Property& property : PropertyDescriptions()) {
    const std::string name(property.name);
    EXPECT_TRUE(names.count(name)) << name;
    const int info = meta.indexOfClassInfo(name.c_str());
    if (property.description.empty()) {
      EXPECT_EQ(info, -1) << name;
    } else {
      ASSERT_GE(info, 0) << name;
      EXPECT_EQ(std::string_view(meta.classInfo(info).value()), property.description) << name;
    }
  }
}

TEST(ProgressBarWidget, QtPropertiesReachTheBar) {
  ProgressBarWidget widget;
  EXPECT_TRUE(widget.setProperty("Value", 70));
  EXPECT_EQ(widget.Bar().Value(), 70);
  EXPECT_TRUE(widget.setProperty("Max", 0));
  EXPECT_EQ(widget.Bar().Max(), 1);
  EXPECT_TRUE(widget.setProperty("TextEffectColor", 0x00123456u));
  EXPECT_EQ(widget.property("TextEffectColor").toUInt(), 0x00123456u);
  EXPECT_TRUE(widget.setProperty("Enabled", false));
  EXPECT_FALSE(widget.Bar().Enabled());
  EXPECT_TRUE(widget.isEnabled());  // the greyed look only
  QFont font("DejaVu Sans Mono", 9);
  EXPECT_TRUE(widget.setProperty("TextFont", font));
  EXPECT_EQ(*widget.Bar().TextFont(), font);
  EXPECT_NE(widget.Bar().TextFont(), widget.Font());
}

TEST(ProgressBarWidget, SavesAndRestoresThroughQSettings) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings settings(dir.filePath("bars.ini"), QSettings::IniFormat);
  {
    ProgressBarWidget widget;
    widget.setObjectName("Bar1");
    widget.SetTheme(7);
    widget.SetValue(80);
    widget.SetText("Saved");
    SettingsPropertyStore store(settings, widget.objectName());
    ASSERT_TRUE(widget.WriteProperties(store).ok());
  }
  ProgressBarWidget widget;
  widget.setObjectName("Bar1");
  widget.resize(100, 20);
  SettingsPropertyStore store(settings, widget.objectName());
  widget.ReadProperties(store);
  EXPECT_EQ(widget.Theme(), 7);
  EXPECT_EQ(widget.Value(), 80);
  EXPECT_EQ(widget.Text(), "Saved");
  EXPECT_EQ(widget.BackBuffer().pixel(0, 10), Pixel(FromRrggbb(0xCC3E3E)));
}

// Runs with QT_SCALE_FACTOR=2 (its own ctest entry); skipped at ratio 1.
TEST(BarHiDpiWidget, TheBackBufferFollowsTheScreensPixelRatio) {
  ProgressBarWidget widget;
  if (widget.devicePixelRatioF() != 2) GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
  widget.resize(150, 26);
  widget.SetTextStyle(0);
  EXPECT_EQ(widget.BackBuffer().size(), QSize(300, 52));
  const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.size(), QSize(300, 52));
  EXPECT_EQ(shown.pixel(149, 26), Pixel(FromRrggbb(0xCBA639)));
  EXPECT_EQ(shown.pixel(150, 26), Pixel(FromRrggbb(0xE2D7B6)));
}

}  // namespace
}  // namespace quorvel::progressbar
