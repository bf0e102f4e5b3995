// Creation values, restore and save of the sixteen properties, against the
// in-memory store and against QSettings.
#include "progressbar/property_persistence.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "progressbar/memory_property_store.h"
#include "progressbar/settings_property_store.h"
#include "progressbar/stored_value.h"
#include "recording_host.h"
#include "stored_key_order.h"

namespace quorvel::progressbar {
namespace {

using testing::kReadOrder;
using testing::RecordingHost;

const std::vector<std::string> kWriteOrder = testing::NamesOf(kSaveOrder);

struct Restored {
  RecordingHost host;
  ProgressBar bar{host};
};

TEST(InitProperties, GivesTheCreationValuesInOrder) {
  Restored r;
  ASSERT_TRUE(InitProperties(r.bar, r.host).ok());
  EXPECT_EQ(r.host.Notifications(), testing::NamesOf(kCreationOrder));
  EXPECT_EQ(r.bar.Max(), 100);
  EXPECT_EQ(r.bar.Min(), 0);
  EXPECT_EQ(r.bar.Value(), 50);
  EXPECT_EQ(r.bar.RoundedValue(), 5);
  EXPECT_TRUE(r.bar.Enabled());
  EXPECT_EQ(r.bar.Theme(), 1);
  EXPECT_EQ(r.bar.TextStyle(), 3);
  EXPECT_EQ(r.bar.Orientations(), 1);
  EXPECT_EQ(r.bar.Text(), "Vorn ProgressBar");
  EXPECT_EQ(r.bar.TextEffectColor(), 0x00FFFFFFu);
  EXPECT_EQ(r.bar.TextEffect(), 5);
  EXPECT_EQ(r.bar.TextAlignment(), 5);
  EXPECT_EQ(r.bar.TextFont(), r.host.ambient_font);  // the very object
  EXPECT_EQ(r.bar.TextForeColor(), 0u);
  EXPECT_EQ(r.bar.PBSCustomeColor1(), 0u);
  EXPECT_EQ(r.bar.PBSCustomeColor2(), 0u);
}

TEST(InitProperties, StopsAtTheFirstFailure) {
  Restored r;
  r.host.fail_for = "Value";
  EXPECT_FALSE(InitProperties(r.bar, r.host).ok());
  EXPECT_EQ(r.host.Notifications(), (std::vector<std::string>{"Max", "Min", "Value"}));
  EXPECT_EQ(r.bar.Value(), 50);  // stored before the notice failed
  EXPECT_EQ(r.bar.RoundedValue(), 0);
}

TEST(ReadProperties, AStoreWithNoKeysRestoresTheReadDefaults) {
  Restored r;
  MemoryPropertyStore store;
  ReadProperties(r.bar, r.host, store);
  EXPECT_EQ(store.Reads(), kReadOrder);
  EXPECT_EQ(r.bar.Max(), 100);
  EXPECT_EQ(r.bar.Min(), 0);
  EXPECT_EQ(r.bar.Value(), 50);
  EXPECT_EQ(r.bar.RoundedValue(), 5);
  EXPECT_TRUE(r.bar.Enabled());
  EXPECT_EQ(r.bar.Theme(), 1);
  EXPECT_EQ(r.bar.TextStyle(), 1);
  EXPECT_EQ(r.bar.Orientations(), 1);
  EXPECT_EQ(r.bar.Text(), "ProgressBar1");
  EXPECT_EQ(r.bar.TextEffectColor(), 0x00C8C8C8u);
  EXPECT_EQ(r.bar.TextEffect(), 1);
  EXPECT_EQ(r.bar.TextAlignment(), 5);
  EXPECT_EQ(r.bar.TextFont(), r.host.ambient_font);
  EXPECT_EQ(r.bar.TextForeColor(), 0u);
  EXPECT_EQ(r.bar.PBSCustomeColor2(), 0u);
  EXPECT_EQ(r.bar.PBSCustomeColor1(), 0u);
  // Every key through its setter, in the order read.
  EXPECT_EQ(r.host.Notifications(), kReadOrder);
}

TEST(WriteProperties, ANewInstanceSavedUnchangedWritesOnlyItsFourCreationValues) {
  Restored r;
  ASSERT_TRUE(InitProperties(r.bar, r.host).ok());
  MemoryPropertyStore store;
  ASSERT_TRUE(WriteProperties(r.bar, r.host, store).ok());
  EXPECT_EQ(store.Writes(), kWriteOrder);
  // The font is the ambient one, which the store compares equal.
  EXPECT_EQ(store.Keys(),
            (std::vector<std::string>{"Text", "TextEffect", "TextEffectColor", "TextStyle"}));
  EXPECT_EQ(store.Get("Text"), QVariant(QString("Vorn ProgressBar")));
  EXPECT_EQ(store.Get("TextStyle"), QVariant(3));
  EXPECT_EQ(store.Get("TextEffectColor"), QVariant(0x00FFFFFFu));
  EXPECT_EQ(store.Get("TextEffect"), QVariant(5));
}

TEST(WriteProperties, AFontThatDiffersFromTheAmbientFontIsWritten) {
  Restored r;
  ASSERT_TRUE(InitProperties(r.bar, r.host).ok());
  auto font = std::make_shared<QFont>(*r.host.ambient_font);
  font->setBold(!font->bold());
  ASSERT_TRUE(r.bar.SetTextFont(font).ok());
  MemoryPropertyStore store;
  ASSERT_TRUE(WriteProperties(r.bar, r.host, store).ok());
  ASSERT_TRUE(store.Contains("TextFont"));
  EXPECT_EQ(store.Get("TextFont").value<FontRef>(), font);
  // An equal font in an object of its own is left out.
  ASSERT_TRUE(r.bar.SetTextFont(std::make_shared<QFont>(*r.host.ambient_font)).ok());
  ASSERT_TRUE(WriteProperties(r.bar, r.host, store).ok());
  EXPECT_FALSE(store.Contains("TextFont"));
}

TEST(WriteProperties, StopsAtTheFirstFailedWrite) {
  Restored r;
  ASSERT_TRUE(InitProperties(r.bar, r.host).ok());
  MemoryPropertyStore store;
  store.fail_write_for = "Theme";
  EXPECT_FALSE(WriteProperties(r.bar, r.host, store).ok());
  EXPECT_EQ(store.Writes(), std::vector<std::string>(kWriteOrder.begin(), kWriteOrder.begin() + 7));
}

TEST(ReadProperties, AnEmptyTextIsLeftOutAndComesBackAsTheDisplayName) {
  Restored saved;
  ASSERT_TRUE(InitProperties(saved.bar, saved.host).ok());
  ASSERT_TRUE(saved.bar.SetText("").ok());
  MemoryPropertyStore store;
  ASSERT_TRUE(WriteProperties(saved.bar, saved.host, store).ok());
  EXPECT_FALSE(store.Contains("Text"));

  Restored restored;
  restored.host.display_name = "Downloads";
  ReadProperties(restored.bar, restored.host, store);
  EXPECT_EQ(restored.bar.Text(), "Downloads");
}

TEST(ReadProperties, MaxTenAndMinTwentyRestoreMaxTenMinNineAndClampTheValue) {
  Restored r;
  MemoryPropertyStore store;
  store.Set("Max", 10);
  store.Set("Min", 20);
  store.Set("Value", 50);
  ReadProperties(r.bar, r.host, store);
  EXPECT_EQ(r.bar.Max(), 10);
  EXPECT_EQ(r.bar.Min(), 9);
  EXPECT_EQ(r.bar.Value(), 10);
}

TEST(ReadProperties, DefaultsThatAreNotStoredComeBackEqual) {
  Restored saved;
  ASSERT_TRUE(InitProperties(saved.bar, saved.host).ok());
  ASSERT_TRUE(saved.bar.SetTextStyle(1).ok());
  MemoryPropertyStore store;
  ASSERT_TRUE(WriteProperties(saved.bar, saved.host, store).ok());
  Restored restored;
  ReadProperties(restored.bar, restored.host, store);
  EXPECT_EQ(restored.bar.Value(), 50);
  EXPECT_EQ(restored.bar.Max(), 100);
  EXPECT_EQ(restored.bar.Min(), 0);
  EXPECT_EQ(restored.bar.RoundedValue(), 5);
  EXPECT_EQ(restored.bar.Theme(), 1);
  EXPECT_EQ(restored.bar.TextStyle(), 1);
  EXPECT_EQ(restored.bar.Text(), "Vorn ProgressBar");
  EXPECT_EQ(restored.bar.TextEffect(), 5);
  EXPECT_EQ(restored.bar.TextEffectColor(), 0x00FFFFFFu);
}

// A stored value that cannot be read as its type counts as absent.
struct Unreadable {
  const char* key;
  QVariant stored;
};

class UnreadableValue : public ::testing::TestWithParam<Unreadable> {};

TEST_P(UnreadableValue, FallsBackToTheKeysDefaultAndTheRestIsRestored) {
  const Unreadable& c = GetParam();
  Restored r;
  MemoryPropertyStore store;
  store.Set("Max", 200);
  store.Set("Value", 150);
  store.Set("Theme", 4);
  store.Set("Text", QString("Saved"));
  store.Set("TextEffect", 3);
  store.Set("PBSCustomeColor1", 0x123456u);
  store.Set(c.key, c.stored);
  ReadProperties(r.bar, r.host, store);

  const std::string key = c.key;
  EXPECT_EQ(r.bar.Max(), key == "Max" ? 100 : 200);
  EXPECT_EQ(r.bar.Min(), 0);
  EXPECT_EQ(r.bar.Value(), key == "Max" ? 100 : key == "Value" ? 50 : 150);
  EXPECT_EQ(r.bar.Theme(), key == "Theme" ? 1 : 4);
  EXPECT_EQ(r.bar.Text(), key == "Text" ? "ProgressBar1" : "Saved");
  EXPECT_EQ(r.bar.TextEffect(), 3);
  EXPECT_TRUE(r.bar.Enabled());
  EXPECT_EQ(r.bar.TextFont(), r.host.ambient_font);
  EXPECT_EQ(r.bar.PBSCustomeColor1(), key == "PBSCustomeColor1" ? 0u : 0x123456u);
  // The range always holds.
  EXPECT_GE(r.bar.Max(), 1);
  EXPECT_LE(r.bar.Min(), r.bar.Value());
  EXPECT_LE(r.bar.Value(), r.bar.Max());
}

INSTANTIATE_TEST_SUITE_P(
    DecidedFault, UnreadableValue,
    ::testing::Values(Unreadable{"Max", QString("abc")}, Unreadable{"Max", QString("")},
                      Unreadable{"Max", QString("3000000000")}, Unreadable{"Max", QVariant()},
                      Unreadable{"Value", QString("fifty")},
                      Unreadable{"Value", QVariant::fromValue(std::make_shared<QFont>())},
                      Unreadable{"Theme", 1e99}, Unreadable{"Text", QVariant()},
                      Unreadable{"Text", QFont()}, Unreadable{"Enabled", QString("maybe")},
                      Unreadable{"TextFont", 42}, Unreadable{"TextFont", QString("  ")},
                      Unreadable{"TextFont", QVariant::fromValue(FontRef())},
                      Unreadable{"TextFont", QString("Sans,100000")},
                      Unreadable{"PBSCustomeColor1", QString("red")},
                      Unreadable{"PBSCustomeColor1", 5000000000.0}));

TEST(ReadProperties, ASetterThatFailsDoesNotStopTheRestore) {
  Restored r;
  r.host.fail_for = "Min";
  MemoryPropertyStore store;
  store.Set("Min", 7);
  store.Set("Theme", 6);
  ReadProperties(r.bar, r.host, store);
  EXPECT_EQ(r.bar.Min(), 7);  // stored before the notice failed
  EXPECT_EQ(r.bar.Theme(), 6);
  EXPECT_EQ(r.bar.PBSCustomeColor1(), 0u);
  EXPECT_EQ(r.host.Notifications().back(), "PBSCustomeColor1");
}

TEST(StoredValue, ConvertsWhatStoresHandBack) {
  EXPECT_EQ(StoredInt32(QString(" 42 ")), 42);
  EXPECT_EQ(StoredInt32(QString("-7")), -7);
  EXPECT_EQ(StoredInt32(QString("2.5")), 2);
  EXPECT_EQ(StoredInt32(QString("3.5")), 4);
  EXPECT_EQ(StoredInt32(2.5), 2);
  EXPECT_EQ(StoredInt32(QString("&H10")), 16);
  EXPECT_EQ(StoredInt32(true), -1);
  EXPECT_EQ(StoredInt32(QVariant(qlonglong(1) << 40)), std::nullopt);
  EXPECT_EQ(StoredInt32(QString("1,5")), std::nullopt);
  EXPECT_EQ(StoredColour(QString("4294967295")), 0xFFFFFFFFu);
  EXPECT_EQ(StoredColour(-1), 0xFFFFFFFFu);
  EXPECT_EQ(StoredColour(QString("&H00C8C8C8")), 0x00C8C8C8u);
  EXPECT_EQ(StoredBoolean(QString("true")), true);
  EXPECT_EQ(StoredBoolean(QString("False")), false);
  EXPECT_EQ(StoredBoolean(QString("-1")), true);
  EXPECT_EQ(StoredBoolean(0), false);
  EXPECT_EQ(StoredText(12), QString("12"));
  EXPECT_EQ(StoredText(true), QString("True"));
  QFont bold("DejaVu Sans", 11);
  bold.setBold(true);
  const std::optional<FontRef> font = StoredFont(bold.toString());
  ASSERT_TRUE(font.has_value());
  EXPECT_EQ(**font, bold);
}

TEST(SettingsPropertyStore, SavesAndRestoresEveryPropertyThroughAnIniFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("bars.ini");

  Restored saved;
  ASSERT_TRUE(InitProperties(saved.bar, saved.host).ok());
  auto font = std::make_shared<QFont>("DejaVu Serif", 13);
  font->setItalic(true);
  ASSERT_TRUE(saved.bar.SetTextFont(font).ok());
  ASSERT_TRUE(saved.bar.SetMax(400).ok());
  ASSERT_TRUE(saved.bar.SetMin(30).ok());
  ASSERT_TRUE(saved.bar.SetValue(333).ok());
  ASSERT_TRUE(saved.bar.SetRoundedValue(9).ok());
  ASSERT_TRUE(saved.bar.SetEnabled(false).ok());
  ASSERT_TRUE(saved.bar.SetTheme(10).ok());
  ASSERT_TRUE(saved.bar.SetTextStyle(2).ok());
  ASSERT_TRUE(saved.bar.SetOrientations(2).ok());
  ASSERT_TRUE(saved.bar.SetText("Copying, \"quoted\"; = 100%").ok());
  ASSERT_TRUE(saved.bar.SetTextEffectColor(0x00ABCDEFu).ok());
  ASSERT_TRUE(saved.bar.SetTextEffect(4).ok());
  ASSERT_TRUE(saved.bar.SetTextAlignment(9).ok());
  ASSERT_TRUE(saved.bar.SetTextForeColor(0x80000012u).ok());
  ASSERT_TRUE(saved.bar.SetPBSCustomeColor2(0x00102030u).ok());
  ASSERT_TRUE(saved.bar.SetPBSCustomeColor1(0x00FF8000u).ok());
  {
    QSettings settings(path, QSettings::IniFormat);
    SettingsPropertyStore store(settings, "ProgressBar1");
    ASSERT_TRUE(WriteProperties(saved.bar, saved.host, store).ok());
    settings.sync();
    ASSERT_EQ(settings.status(), QSettings::NoError);
  }

  Restored restored;
  QSettings settings(path, QSettings::IniFormat);
  SettingsPropertyStore store(settings, "ProgressBar1");
  ReadProperties(restored.bar, restored.host, store);
  const ProgressBar& a = saved.bar;
  const ProgressBar& b = restored.bar;
  EXPECT_EQ(b.Max(), a.Max());
  EXPECT_EQ(b.Min(), a.Min());
  EXPECT_EQ(b.Value(), a.Value());
  EXPECT_EQ(b.RoundedValue(), a.RoundedValue());
  EXPECT_EQ(b.Enabled(), a.Enabled());
  EXPECT_EQ(b.Theme(), a.Theme());
  EXPECT_EQ(b.TextStyle(), a.TextStyle());
  EXPECT_EQ(b.Orientations(), a.Orientations());
  EXPECT_EQ(b.Text(), a.Text());
  EXPECT_EQ(b.TextEffectColor(), a.TextEffectColor());
  EXPECT_EQ(b.TextEffect(), a.TextEffect());
  EXPECT_EQ(b.TextAlignment(), a.TextAlignment());
  ASSERT_NE(b.TextFont(), nullptr);
  EXPECT_EQ(*b.TextFont(), *font);
  EXPECT_EQ(b.TextForeColor(), a.TextForeColor());
  EXPECT_EQ(b.PBSCustomeColor2(), a.PBSCustomeColor2());
  EXPECT_EQ(b.PBSCustomeColor1(), a.PBSCustomeColor1());
}

TEST(SettingsPropertyStore, WritingADefaultRemovesAnEarlierValue) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QSettings settings(dir.filePath("bars.ini"), QSettings::IniFormat);
  SettingsPropertyStore store(settings, "Bar");
  ASSERT_TRUE(store.WriteProperty("Theme", 4, 1).ok());
  EXPECT_TRUE(settings.contains("Bar/Theme"));
  ASSERT_TRUE(store.WriteProperty("Theme", 1, 1).ok());
  EXPECT_FALSE(settings.contains("Bar/Theme"));
  EXPECT_EQ(store.ReadProperty("Theme", 1), QVariant(1));
  // A list read back from a hand-written file is joined again.
  settings.setValue("Bar/Text", QStringList{"a", "b"});
  EXPECT_EQ(StoredText(store.ReadProperty("Text", QString())), QString("a,b"));
}

}  // namespace
}  // namespace quorvel::progressbar
