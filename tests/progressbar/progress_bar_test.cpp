#include "progressbar/progress_bar.h"

#include <gtest/gtest.h>

#include <QFont>
#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "progressbar/property_table.h"
#include "recording_device_context.h"
#include "recording_host.h"
#include "stored_key_order.h"

namespace quorvel::progressbar {
namespace {

using testing::RecordingDeviceContext;
using testing::RecordingHost;

constexpr const char* kRedraw = "RedrawBar";

// Writes every repaint into the host's log, between the notifications.
class ObservedBar : public ProgressBar {
 public:
  explicit ObservedBar(RecordingHost& host) : ProgressBar(host), host_(host) {}

 protected:
  void RedrawBar() override { host_.log.push_back(kRedraw); }

 private:
  RecordingHost& host_;
};

std::string Told(std::string_view name) { return "PropertyChanged " + std::string(name); }

TEST(ProgressBarTest, StartsZeroedAndSilent) {
  RecordingHost host;
  ObservedBar bar(host);
  EXPECT_EQ(bar.Value(), 0);
  EXPECT_EQ(bar.Max(), 0);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.RoundedValue(), 0);
  EXPECT_FALSE(bar.Enabled());
  EXPECT_EQ(bar.Theme(), 0);
  EXPECT_EQ(bar.TextStyle(), 0);
  EXPECT_EQ(bar.Orientations(), 0);
  EXPECT_EQ(bar.TextAlignment(), 0);
  EXPECT_TRUE(bar.Text().isEmpty());
  EXPECT_EQ(bar.TextEffectColor(), 0u);
  EXPECT_EQ(bar.TextEffect(), 0);
  EXPECT_EQ(bar.TextForeColor(), 0u);
  EXPECT_EQ(bar.TextFont(), nullptr);
  EXPECT_EQ(bar.PBSCustomeColor1(), 0u);
  EXPECT_EQ(bar.PBSCustomeColor2(), 0u);
  EXPECT_EQ(bar.ThemeColours(), ThemeColourTable{});
  EXPECT_TRUE(host.log.empty());
}

struct Range {
  std::int32_t min;
  std::int32_t max;
  std::int32_t value;
};

enum class Call { kValue, kMax, kMin };

struct RangeCase {
  const char* name;
  // Unset: a new control that has never had its range set.
  std::optional<Range> start;
  Call call;
  std::int32_t argument;
  Range end;
  // The host's log, repaints included.
  std::vector<std::string> log;
};

class RangeRulesTable : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeRulesTable, ClampsAndNotifiesInOrder) {
  const RangeCase& c = GetParam();
  RecordingHost host;
  ObservedBar bar(host);
  if (c.start) {
    ASSERT_TRUE(bar.SetMax(c.start->max).ok());
    ASSERT_TRUE(bar.SetMin(c.start->min).ok());
    ASSERT_TRUE(bar.SetValue(c.start->value).ok());
    ASSERT_EQ(bar.Max(), c.start->max);
    ASSERT_EQ(bar.Min(), c.start->min);
    ASSERT_EQ(bar.Value(), c.start->value);
    host.log.clear();
  }
  Status result = Status::Ok();
  switch (c.call) {
    case Call::kValue:
      result = bar.SetValue(c.argument);
      break;
    case Call::kMax:
      result = bar.SetMax(c.argument);
      break;
    case Call::kMin:
      result = bar.SetMin(c.argument);
      break;
  }
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(bar.Min(), c.end.min);
  EXPECT_EQ(bar.Max(), c.end.max);
  EXPECT_EQ(bar.Value(), c.end.value);
  EXPECT_EQ(host.log, c.log);
}

const std::vector<std::string> kValueLog = {Told("Value"), kRedraw};
const std::vector<std::string> kMaxLog = {Told("Max"), kRedraw};
const std::vector<std::string> kMinLog = {Told("Min"), kRedraw};
const std::vector<std::string> kValueThenMaxLog = {Told("Value"), kRedraw, Told("Max"), kRedraw};
const std::vector<std::string> kValueThenMinLog = {Told("Value"), kRedraw, Told("Min"), kRedraw};
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
using enum Call;

const RangeCase kRangeCases[] = {
    {"MaxZeroBecomesOne", Range{0, 100, 0}, kMax, 0, {0, 1, 0}, kMaxLog},
    {"MaxNegativeBecomesOne", Range{0, 100, 0}, kMax, -7, {0, 1, 0}, kMaxLog},
    {"MaxLowestBecomesOne", Range{0, 100, 0}, kMax, kIntMin, {0, 1, 0}, kMaxLog},
    {"MaxBelowMinGoesAboveIt", Range{10, 100, 10}, kMax, 5, {10, 11, 10}, kMaxLog},
    {"MaxEqualToMinGoesAboveIt", Range{10, 100, 10}, kMax, 10, {10, 11, 10}, kMaxLog},
    {"MaxBelowValueMovesValueFirst", Range{0, 100, 50}, kMax, 40, {0, 40, 40}, kValueThenMaxLog},
    {"MaxAtValueLeavesIt", Range{0, 100, 50}, kMax, 50, {0, 50, 50}, kMaxLog},
    {"MaxRaised", Range{0, 100, 50}, kMax, kIntMax, {0, kIntMax, 50}, kMaxLog},
    {"MaxUnchangedStillTells", Range{0, 100, 50}, kMax, 100, {0, 100, 50}, kMaxLog},
    {"MinAtMaxGoesBelowIt", Range{0, 100, 50}, kMin, 100, {99, 100, 99}, kValueThenMinLog},
    {"MinAboveMaxGoesBelowIt", Range{0, 100, 100}, kMin, kIntMax, {99, 100, 100}, kMinLog},
    {"MinNegativeBecomesZero", Range{20, 100, 50}, kMin, -5, {0, 100, 50}, kMinLog},
    {"MinAboveValueMovesValueFirst", Range{0, 100, 50}, kMin, 60, {60, 100, 60}, kValueThenMinLog},
    {"MinAtValueLeavesIt", Range{0, 100, 50}, kMin, 50, {50, 100, 50}, kMinLog},
    {"MinWithMaxOneIsZero", Range{0, 1, 1}, kMin, 1, {0, 1, 1}, kMinLog},
    {"ValueAboveMaxIsMax", Range{0, 100, 50}, kValue, 150, {0, 100, 100}, kValueLog},
    {"ValueBelowMinIsMin", Range{0, 100, 50}, kValue, -3, {0, 100, 0}, kValueLog},
    {"ValueBelowRaisedMin", Range{20, 100, 50}, kValue, kIntMin, {20, 100, 20}, kValueLog},
    {"ValueInside", Range{20, 100, 50}, kValue, 77, {20, 100, 77}, kValueLog},
    {"ValueUnchangedStillTells", Range{0, 100, 50}, kValue, 50, {0, 100, 50}, kValueLog},
    // Before any Max the bounds are both 0 and Min wins.
    {"NewValueIsZero", std::nullopt, kValue, 5, {0, 0, 0}, kValueLog},
    {"NewMinIsZero", std::nullopt, kMin, 5, {0, 0, 0}, kMinLog},
    {"NewMaxKeepsValueZero", std::nullopt, kMax, 100, {0, 100, 0}, kMaxLog},
};

INSTANTIATE_TEST_SUITE_P(Rules, RangeRulesTable, ::testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// One row per property, in slot order: a value its setter stores as given,
// set and read back through the property table's accessors.
struct PropertyCase {
  std::string_view name;
  QVariant value;
  Status set(ProgressBar& bar) const { return testing::PropertyNamed(name).access.set(bar, value); }
  bool stored(const ProgressBar& bar) const {
    return testing::PropertyNamed(name).access.get(bar) == value;
  }
};

std::vector<PropertyCase> PropertyCases() {
  return {{"Value", 0},
          {"Max", 5},
          {"Min", 0},
          {"RoundedValue", -4},
          {"Enabled", true},
          {"Theme", 11},
          {"TextStyle", 0},
          {"Orientations", 3},
          {"TextAlignment", 0},
          {"Text", QString::fromUtf8("进度 50%")},
          {"TextEffectColor", 0x80000012u},
          {"TextEffect", 6},
          {"TextForeColor", 0xC8C8C8u},
          {"TextFont", QVariant::fromValue(std::make_shared<QFont>())},
          {"PBSCustomeColor1", 0x123456u},
          {"PBSCustomeColor2", 0xFFFFFFu}};
}

TEST(ProgressBarTest, EverySetterStoresTellsThenRepaintsEachTime) {
  for (const PropertyCase& c : PropertyCases()) {
    SCOPED_TRACE(std::string(c.name));
    RecordingHost host;
    ObservedBar bar(host);
    for (int round = 0; round < 2; ++round) {  // the second time the value is unchanged
      host.log.clear();
      ASSERT_TRUE(c.set(bar).ok());
      EXPECT_TRUE(c.stored(bar));
      std::vector<std::string> expected = {Told(c.name), kRedraw};
      if (c.name == "TextFont") expected.insert(expected.begin(), "SetFont");
      EXPECT_EQ(host.log, expected);
    }
  }
}

TEST(ProgressBarTest, ARefusedNotificationKeepsTheValueAndSkipsTheRepaint) {
  for (const PropertyCase& c : PropertyCases()) {
    SCOPED_TRACE(std::string(c.name));
    RecordingHost host;
    host.fail_for = std::string(c.name);
    ObservedBar bar(host);
    const Status result = c.set(bar);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.reason().find(std::string(c.name)), std::string::npos);
    EXPECT_TRUE(c.stored(bar));
    EXPECT_EQ(host.Notifications(), std::vector<std::string>{std::string(c.name)});
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), kRedraw), 0);
  }
}

TEST(ProgressBarTest, ARefusedValueNotificationStopsMaxAndMin) {
  RecordingHost host;
  ObservedBar bar(host);
  ASSERT_TRUE(bar.SetMax(100).ok());
  ASSERT_TRUE(bar.SetValue(50).ok());
  host.log.clear();
  host.fail_for = "Value";
  EXPECT_FALSE(bar.SetMax(40).ok());
  EXPECT_EQ(bar.Max(), 40);
  EXPECT_EQ(bar.Value(), 40);
  EXPECT_EQ(host.log, std::vector<std::string>{Told("Value")});

  host.fail_for.clear();
  ASSERT_TRUE(bar.SetMax(100).ok());
  host.fail_for = "Value";
  host.log.clear();
  EXPECT_FALSE(bar.SetMin(60).ok());
  EXPECT_EQ(bar.Min(), 60);
  EXPECT_EQ(bar.Value(), 60);
  EXPECT_EQ(host.log, std::vector<std::string>{Told("Value")});
}

TEST(ProgressBarTest, TheFontIsSharedNotCopied) {
  RecordingHost host;
  ObservedBar bar(host);
  auto font = std::make_shared<QFont>(QStringLiteral("Sans"), 9);
  ASSERT_TRUE(bar.SetTextFont(font).ok());
  EXPECT_EQ(bar.TextFont(), font);
  EXPECT_EQ(host.surface.Font(), font);  // the caption prints and measures with it

  host.log.clear();
  bar.TextFont()->setBold(true);
  bar.TextFont()->setPointSize(20);
  EXPECT_TRUE(font->bold());
  EXPECT_EQ(host.surface.Font()->pointSize(), 20);
  EXPECT_TRUE(host.log.empty());  // no notification, no repaint

  ASSERT_TRUE(bar.SetTextFont(nullptr).ok());
  EXPECT_EQ(bar.TextFont(), nullptr);
  EXPECT_EQ(host.surface.Font(), nullptr);
  EXPECT_EQ(host.log, (std::vector<std::string>{"SetFont null", Told("TextFont"), kRedraw}));
}

TEST(ProgressBarTest, TextIsCopied) {
  RecordingHost host;
  ObservedBar bar(host);
  QString caption = QStringLiteral("Vorn ProgressBar");
  ASSERT_TRUE(bar.SetText(caption).ok());
  caption[0] = QChar('X');
  EXPECT_EQ(bar.Text(), QStringLiteral("Vorn ProgressBar"));
  QString copy = bar.Text();
  copy.append(QStringLiteral("!"));
  EXPECT_EQ(bar.Text(), QStringLiteral("Vorn ProgressBar"));
}

TEST(ProgressBarTest, ResizeOnlyRepaints) {
  RecordingHost host;
  ObservedBar bar(host);
  bar.Resize();
  bar.Resize();
  EXPECT_EQ(host.log, (std::vector<std::string>{kRedraw, kRedraw}));
}

TEST(ProgressBarTest, PaintersDrawOnTheGivenContext) {
  RecordingHost host;
  const ProgressBar bar(host);
  RecordingDeviceContext dc;
  bar.GradientTwoColour(dc, 1, 0xFFFFFF, 0, 0, 0, 10, 5);
  EXPECT_EQ(dc.gradient_fills.size(), 1u);
  EXPECT_TRUE(bar.DrawGradientFourColour(dc, 0, 0, 3, 2, 1, 2, 3, 4).ok());
  EXPECT_EQ(dc.set_dibits.size(), 2u);
  EXPECT_FALSE(bar.DrawGradientFourColour(dc, 0, 0, 0, 2, 1, 2, 3, 4).ok());
  EXPECT_EQ(dc.set_dibits.size(), 2u);
  EXPECT_TRUE(host.log.empty());
}

TEST(PropertyDescriptionsTest, ListsTheSixteenPropertiesInSlotOrder) {
  const std::vector<std::pair<std::string_view, std::string_view>> expected = {
      {"Value", "Progressbar Value."},
      {"Max", "Progressbar Max Value."},
      {"Min", "Progressbar Min Value."},
      {"RoundedValue", "Progressbar Rounded Corner Value."},
      {"Enabled", "Progressbar Enabled/Disabled."},
      {"Theme", "Progressbar Styles."},
      {"TextStyle", "Progressbar Text Style."},
      {"Orientations", ""},
      {"TextAlignment", "Progressbar Text Alignment."},
      {"Text", "Progressbar Text."},
      {"TextEffectColor", "Progressbar Text Effect Color."},
      {"TextEffect", "Progressbar Text Effect."},
      {"TextForeColor", "Progressbar Text Color."},
      {"TextFont", "Progressbar Text Font."},
      {"PBSCustomeColor1", "Progressbar Style Custome Color 1."},
      {"PBSCustomeColor2", "Progressbar Style Custome Color 2."}};
  ASSERT_EQ(PropertyDescriptions().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(PropertyDescriptions()[i].name, expected[i].first);
    EXPECT_EQ(PropertyDescriptions()[i].description, expected[i].second);
    EXPECT_EQ(DescriptionOf(expected[i].first), expected[i].second);
  }
  EXPECT_EQ(DescriptionOf("Colour"), "");
  // The setters notify with the same names.
  const std::vector<PropertyCase> cases = PropertyCases();
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].name, expected[i].first);
}

// The orders of the stored keys are the stored format: written out here once,
// every other test takes them from the table.
TEST(PropertyTableTest, KeepsTheOrdersOfRestoreSaveAndCreation) {
  const auto joined = [](const auto& properties) {
    std::string names;
    for (const Property& property : properties) names += std::string(property.name) + " ";
    return names;
  };
  EXPECT_EQ(joined(kProperties),
            "Max Min Value RoundedValue Enabled Theme TextStyle Orientations Text "
            "TextEffectColor TextEffect TextAlignment TextFont TextForeColor PBSCustomeColor2 "
            "PBSCustomeColor1 ");
  EXPECT_EQ(joined(kSaveOrder),
            "Orientations Max Min Value RoundedValue Enabled Theme TextStyle TextFont "
            "TextForeColor TextAlignment Text TextEffectColor TextEffect PBSCustomeColor2 "
            "PBSCustomeColor1 ");
  EXPECT_EQ(joined(kCreationOrder),
            "Max Min Value RoundedValue Enabled Theme TextForeColor Text TextAlignment "
            "TextEffect TextEffectColor TextStyle Orientations TextFont ");
}

}  // namespace
}  // namespace quorvel::progressbar
