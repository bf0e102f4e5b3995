// The caption: what each text style says, and where and in which colours each
// effect prints it, seen through a recording surface (7 pixels per character,
// 13 pixels high, on a 200 x 20 client area).
#include "progressbar/bar_caption.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "progressbar/progress_bar.h"
#include "recording_host.h"

namespace quorvel::progressbar {
namespace {

using testing::RecordingHost;

constexpr Colour kFore = Rgb(0x10, 0x20, 0x30);
constexpr Colour kEffect = Rgb(0xFF, 0x00, 0x00);
constexpr Colour kFixedGrey = Rgb(0x80, 0x80, 0x80);

std::string ColourLine(Colour colour) {
  char text[40];
  std::snprintf(text, sizeof text, "SetForeColor 0x%08X", static_cast<unsigned>(colour));
  return text;
}

TEST(GeneralNumber, WritesUpToFifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(GeneralNumber(50.0), "50");
  EXPECT_EQ(GeneralNumber(100.0), "100");
  EXPECT_EQ(GeneralNumber(0.0), "0");
  EXPECT_EQ(GeneralNumber(1.0 * 100 / 3), "33.3333333333333");
  EXPECT_EQ(GeneralNumber(2.0 * 100 / 3), "66.6666666666667");
  EXPECT_EQ(GeneralNumber(12.5), "12.5");
  EXPECT_EQ(GeneralNumber(1.0 * 100 / 2000000000), "5E-08");
}

TEST(CaptionFor, WritesThePercentageWithTheLocalesDecimalSeparator) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(CaptionFor(2, 1, 1.0 * 100 / 3, "x"), QString("33,3333333333333%"));
  EXPECT_EQ(CaptionFor(2, 3, 1.5e-7, "x"), QString("1,5E-07%"));
  QLocale::setDefault(before);
}

TEST(CaptionFor, ChoosesByTextStyle) {
  EXPECT_EQ(CaptionFor(1, 42, 42.0, "x"), QString("42"));
  EXPECT_EQ(CaptionFor(2, 1, 1.0 * 100 / 3, "x"), QString("33.3333333333333%"));
  EXPECT_EQ(CaptionFor(2, 50, 50.0, "x"), QString("50%"));
  EXPECT_EQ(CaptionFor(3, 50, 50.0, "Vorn"), QString("Vorn"));
  EXPECT_EQ(CaptionFor(3, 50, 50.0, ""), QString(""));
  EXPECT_EQ(CaptionFor(0, 50, 50.0, "Vorn"), std::nullopt);
  EXPECT_EQ(CaptionFor(4, 50, 50.0, "Vorn"), std::nullopt);
}

// Where "Vorn" (28 x 13 pixels) goes for each alignment.
struct Place {
  int alignment;
  int x;
  int y;
};
constexpr Place kPlaces[] = {
    {1, 1, 0},   {2, 1, 2},  {3, 1, 6},  // middle: 10 - 6.5 - 1 = 2.5 rounds to 2
    {4, 85, 0},  {5, 85, 2}, {6, 85, 6}, {7, 169, 0}, {8, 169, 2},
    {9, 169, 6}, {0, 0, 0},  {10, 0, 0}, {-1, 0, 0},
};

enum Tone { kText, kEffectTone, kGrey };
struct Print {
  Tone tone;
  int dx;
  int dy;
};
struct Effect {
  int effect;
  std::vector<Print> prints;
};
const Effect kEffects[] = {
    {1, {{kText, 0, 0}}},
    {2, {{kEffectTone, -1, -1}, {kGrey, 1, 1}, {kText, 0, 0}}},
    {3, {{kEffectTone, 1, 1}, {kGrey, -1, 0}, {kText, 0, 0}}},
    {4,
     {{kEffectTone, 1, 0},
      {kEffectTone, -1, 0},
      {kEffectTone, 0, -1},
      {kEffectTone, 0, 1},
      {kText, 0, 0}}},
    {5, {{kEffectTone, 1, 1}, {kText, 0, 0}}},
    {0, {}},
    {6, {}},
};

class CaptionPrints : public ::testing::TestWithParam<std::tuple<Place, Effect, bool>> {};

TEST_P(CaptionPrints, PrintsEveryStrokeAtItsOffsetInItsColourThenTheCaption) {
  const auto& [place, effect, enabled] = GetParam();
  RecordingHost host;
  ProgressBar bar(host);
  ASSERT_TRUE(bar.SetTextForeColor(kFore).ok());
  ASSERT_TRUE(bar.SetTextEffectColor(kEffect).ok());
  ASSERT_TRUE(bar.SetTextEffect(effect.effect).ok());
  ASSERT_TRUE(bar.SetEnabled(enabled).ok());
  host.log.clear();

  ASSERT_TRUE(DrawBarText(host.surface, bar, "Vorn", place.alignment).ok());

  const Colour text = enabled ? kFore : Rgb(0x20, 0x20, 0x20);
  const Colour stroke = enabled ? kEffect : Rgb(0x55, 0x55, 0x55);
  std::vector<std::string> expected{ColourLine(text)};
  for (const Print& print : effect.prints) {
    expected.push_back(ColourLine(print.tone == kText   ? text
                                  : print.tone == kGrey ? kFixedGrey
                                                        : stroke));
    expected.push_back("SetCurrentX " + std::to_string(place.x + print.dx));
    expected.push_back("SetCurrentY " + std::to_string(place.y + print.dy));
    expected.push_back("Print \"Vorn\"");
  }
  EXPECT_EQ(host.log, expected);
  EXPECT_EQ(host.surface.ForeColor(), text);
}

INSTANTIATE_TEST_SUITE_P(EveryEffectAndAlignment, CaptionPrints,
                         ::testing::Combine(::testing::ValuesIn(kPlaces),
                                            ::testing::ValuesIn(kEffects), ::testing::Bool()));

// "abc" is 21 x 13 pixels.
TEST(DrawBarText, RoundsCentredPositionsHalfToEven) {
  const struct {
    float width, height;
    int alignment, x, y;
  } cases[] = {
      {200, 20, 4, 88, 0},  // 100 - 10.5 - 1 = 88.5
      {202, 20, 4, 90, 0},  // 101 - 10.5 - 1 = 89.5
      {200, 21, 5, 88, 3},  // 10.5 - 6.5 - 1 = 3
      {200, 22, 5, 88, 4},  // 11 - 6.5 - 1 = 3.5
  };
  for (const auto& c : cases) {
    RecordingHost host;
    ProgressBar bar(host);
    ASSERT_TRUE(bar.SetTextEffect(1).ok());
    host.surface.scale_width = c.width;
    host.surface.scale_height = c.height;
    host.log.clear();
    ASSERT_TRUE(DrawBarText(host.surface, bar, "abc", c.alignment).ok());
    EXPECT_EQ(host.log[2], "SetCurrentX " + std::to_string(c.x)) << c.width << " x " << c.height;
    EXPECT_EQ(host.log[3], "SetCurrentY " + std::to_string(c.y)) << c.width << " x " << c.height;
  }
}

TEST(DrawBarText, AFailedPrintEndsTheCaption) {
  RecordingHost host;
  ProgressBar bar(host);
  ASSERT_TRUE(bar.SetTextEffect(4).ok());
  host.surface.fail = true;
  host.log.clear();
  EXPECT_FALSE(DrawBarText(host.surface, bar, "Vorn", 5).ok());
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "Print \"Vorn\""), 1);
}

}  // namespace
}  // namespace quorvel::progressbar
