// Creation values, restore and save of the sixteen properties, against the
// in-memory store and against QSettings.
#include "progressbar/property_persistence.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <string>
#include <string_view>
#include <vector>

#include "progressbar/memory_property_store.h"
#include "progressbar/settings_property_store.h"
#include "progressbar/stored_value.h"
#include "qt_printers.h"
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

// Each property of a new instance and after a restore from a store with no
// keys; the font, in both the host's ambient object, is checked apart.
struct FreshValue {
  std::string_view name;
  QVariant created;
  QVariant restored;
};
const std::vector<FreshValue> kFreshValues = {
    {"Max", 100, 100},
    {"Min", 0, 0},
    {"Value", 50, 50},
    {"RoundedValue", 5, 5},
    {"Enabled", true, true},
    {"Theme", 1, 1},
    {"TextStyle", 3, 1},
    {"Orientations", 1, 1},
    {"Text", QString("Vorn ProgressBar"), QString("ProgressBar1")},
    {"TextEffectColor", 0x00FFFFFFu, 0x00C8C8C8u},
    {"TextEffect", 5, 1},
    {"TextAlignment", 5, 5},
    {"TextForeColor", 0u, 0u},
    {"PBSCustomeColor2", 0u, 0u},
    {"PBSCustomeColor1", 0u, 0u},
};

QVariant ValueOf(const ProgressBar& bar, std::string_view name) {
  return testing::PropertyNamed(name).access.get(bar);
}

// Every property but the font, which each host gives an object of its own.
void ExpectSameValues(const ProgressBar& restored, const ProgressBar& saved) {
  for (const Property& property : kProperties) {
    if (property.name == property_name::kTextFont) continue;
    EXPECT_EQ(property.access.get(restored), property.access.get(saved)) << property.name;
  }
}

TEST(InitProperties, GivesTheCreationValuesInOrder) {
  Restored r;
  ASSERT_TRUE(InitProperties(r.bar, r.host).ok());
  EXPECT_EQ(r.host.Notifications(), testing::NamesOf(kCreationOrder));
  for (const FreshValue& v : kFreshValues) EXPECT_EQ(ValueOf(r.bar, v.name), v.created) << v.name;
  EXPECT_EQ(r.bar.TextFont(), r.host.ambient_font);  // the very object
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
  for (const FreshValue& v : kFreshValues) EXPECT_EQ(ValueOf(r.bar, v.name), v.restored) << v.name;
  EXPECT_EQ(r.bar.TextFont(), r.host.ambient_font);
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
  store.FailWritesOf("Theme");
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
  ExpectSameValues(restored.bar, saved.bar);
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
  ExpectSameValues(restored.bar, saved.bar);
  ASSERT_NE(restored.bar.TextFont(), nullptr);
  EXPECT_EQ(*restored.bar.TextFont(), *font);
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
