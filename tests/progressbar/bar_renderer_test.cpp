// The repaint as a sequence of surface calls and gradient bands, through the
// recording doubles, and the palettes it loads.
#include "progressbar/bar_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "progressbar/gradient_painters.h"
#include "progressbar/property_persistence.h"
#include "progressbar/theme_palettes.h"
#include "recording_host.h"

namespace quorvel::progressbar {
namespace {

using testing::RecordingDeviceContext;
using testing::RecordingHost;

// A recorded band, in the terms of the band table.
struct RecordedBand {
  std::int32_t left, top, right, bottom;
  std::uint32_t direction;
  Colour start, end;
  friend bool operator==(const RecordedBand&, const RecordedBand&) = default;
};

Colour VertexColour(const TriVertex& v) {
  return Rgb(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v.red) >> 8),
             static_cast<std::uint8_t>(static_cast<std::uint16_t>(v.green) >> 8),
             static_cast<std::uint8_t>(static_cast<std::uint16_t>(v.blue) >> 8));
}

std::vector<RecordedBand> Bands(const RecordingDeviceContext& dc) {
  std::vector<RecordedBand> bands;
  for (const auto& call : dc.gradient_fills) {
    const TriVertex& a = call.vertices.at(0);
    const TriVertex& b = call.vertices.at(1);
    bands.push_back({a.x, a.y, b.x, b.y, call.mode, VertexColour(a), VertexColour(b)});
  }
  return bands;
}

// A bar with its creation values on a W x H recording surface, no caption.
struct Fixture {
  Fixture(float width, float height) {
    host.surface.scale_width = width;
    host.surface.scale_height = height;
    EXPECT_TRUE(InitProperties(bar, host).ok());
    EXPECT_TRUE(bar.SetTextStyle(0).ok());
  }
  // Repaints with nothing recorded before.
  void Redraw() {
    host.log.clear();
    host.surface.dc.gradient_fills.clear();
    bar.Resize();
  }
  RecordingHost host;
  ProgressBar bar{host};
};

constexpr Colour C(std::uint32_t rrggbb) { return FromRrggbb(rrggbb); }

// Theme 1's trough and fill colours.
constexpr Colour kT0 = C(0xF8F6F2), kT2 = C(0xE9E3D3), kT4 = C(0xE2D7B6), kT6 = C(0xEFE9D7);
constexpr Colour kF8 = C(0xFBF4DF), kF10 = C(0xEFD585), kF12 = C(0xCBA639), kF14 = C(0xEDE0BB);

TEST(RedrawBar, HorizontalBarBandsSplitAtHalfTheHeightRoundedHalfToEven) {
  for (const auto& [height, split] : {std::pair{21, 10}, {23, 12}, {20, 10}, {24, 12}}) {
    Fixture f(200, height);
    f.Redraw();
    EXPECT_EQ(Bands(f.host.surface.dc),
              (std::vector<RecordedBand>{{0, 0, 200, split, 1, kT0, kT2},
                                         {0, split, 200, height, 1, kT4, kT6},
                                         {0, 0, 100, split, 1, kF8, kF10},
                                         {0, split, 100, height, 1, kF12, kF14}}))
        << "H = " << height;
  }
}

TEST(RedrawBar, VerticalBarBandsSplitAtHalfTheWidthAndFillDownward) {
  for (const auto& [width, split] : {std::pair{21, 10}, {23, 12}}) {
    Fixture f(width, 200);
    ASSERT_TRUE(f.bar.SetOrientations(2).ok());
    ASSERT_TRUE(f.bar.SetValue(25).ok());
    f.Redraw();
    EXPECT_EQ(Bands(f.host.surface.dc),
              (std::vector<RecordedBand>{{0, 0, split, 200, 0, kT0, kT2},
                                         {split, 0, width, 200, 0, kT4, kT6},
                                         {0, 0, split, 50, 0, kF8, kF10},
                                         {split, 0, width, 50, 0, kF12, kF14}}))
        << "W = " << width;
  }
}

TEST(RedrawBar, FillLengthRoundsHalfToEven) {
  struct Case {
    float width;
    std::int32_t value;
    std::int32_t max;
    std::int32_t fill;
  };
  for (const Case& c : {Case{295, 50, 100, 148}, Case{293, 50, 100, 146}, Case{300, 1, 3, 100},
                        Case{200, 100, 100, 200}, Case{10, 1, 1000, 0}}) {
    Fixture f(c.width, 20);
    ASSERT_TRUE(f.bar.SetMax(c.max).ok());
    ASSERT_TRUE(f.bar.SetValue(c.value).ok());
    f.Redraw();
    const std::vector<RecordedBand> bands = Bands(f.host.surface.dc);
    ASSERT_EQ(bands.size(), 4u);
    EXPECT_EQ(bands[2].right, c.fill) << "W " << c.width << " at " << c.value << "/" << c.max;
    EXPECT_EQ(bands[3].right, c.fill);
  }
  EXPECT_EQ(BarFillLength(1, 50, 295, 10), 148);
  EXPECT_EQ(BarFillLength(2, 50, 10, 295), 148);
  EXPECT_EQ(BarFillLength(3, 50, 295, 10), 148);  // any other direction measures W
}

TEST(RedrawBar, FillIsDrawnOnlyFromValueOneOn) {
  Fixture f(200, 20);
  ASSERT_TRUE(f.bar.SetValue(0).ok());
  f.Redraw();
  EXPECT_EQ(Bands(f.host.surface.dc).size(), 2u);

  // With Min 20 the fill is still Value / Max: one fifth.
  ASSERT_TRUE(f.bar.SetMin(20).ok());
  f.Redraw();
  ASSERT_EQ(Bands(f.host.surface.dc).size(), 4u);
  EXPECT_EQ(Bands(f.host.surface.dc)[2].right, 40);
}

TEST(RedrawBar, OtherOrientationsDrawNoBandsButOutlineAndCaption) {
  Fixture f(200, 20);
  ASSERT_TRUE(f.bar.SetOrientations(3).ok());
  ASSERT_TRUE(f.bar.SetTextStyle(1).ok());
  ASSERT_TRUE(f.bar.SetTextEffect(1).ok());
  f.Redraw();
  EXPECT_TRUE(f.host.surface.dc.gradient_fills.empty());
  EXPECT_EQ(f.host.log,
            (std::vector<std::string>{"SetWindowRgn 0 0 200 20 5 5 1", "Cls",
                                      "SetForeColor 0x003EA8CC", "RoundRect 0 0 199 19 5 5",
                                      "SetForeColor 0x00000000", "SetForeColor 0x00000000",
                                      "SetCurrentX 92", "SetCurrentY 2", "Print \"50\""}));
}

TEST(RedrawBar, RunsItsStepsInOrderWithTheWindowRegionFirst) {
  Fixture f(200, 21);
  ASSERT_TRUE(f.bar.SetRoundedValue(7).ok());
  ASSERT_TRUE(f.bar.SetTextStyle(2).ok());
  ASSERT_TRUE(f.bar.SetMax(3).ok());
  ASSERT_TRUE(f.bar.SetValue(1).ok());
  f.Redraw();
  const std::vector<std::string>& log = f.host.log;
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[0], "SetWindowRgn 0 0 200 21 7 7 1");
  EXPECT_EQ(log[1], "Cls");
  EXPECT_EQ(log[2], "SetForeColor 0x003EA8CC");
  EXPECT_EQ(log[3], "RoundRect 0 0 199 20 7 7");
  EXPECT_NE(std::find(log.begin(), log.end(), "Print \"33.3333333333333%\""), log.end());
  // The shadow: white one pixel down and right, then the caption in black.
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.starts_with("Print"); }),
            2);
}

TEST(RedrawBar, FractionalSizesRoundForRegionAndOutline) {
  Fixture f(100.5f, 20.5f);
  f.Redraw();
  EXPECT_EQ(f.host.log[0], "SetWindowRgn 0 0 100 20 5 5 1");  // 100.5 -> 100, 20.5 -> 20
  EXPECT_EQ(f.host.log[3], "RoundRect 0 0 100 20 5 5");       // 99.5 -> 100, 19.5 -> 20
}

TEST(RedrawBar, WithMaxZeroSkipsPercentAndFillButDrawsTheRest) {
  RecordingHost host;
  ProgressBar bar(host);  // the zero state: Max 0
  ASSERT_TRUE(bar.SetOrientations(1).ok());
  ASSERT_TRUE(bar.SetTextEffect(1).ok());
  ASSERT_TRUE(bar.SetTextStyle(2).ok());
  ASSERT_EQ(bar.Max(), 0);
  EXPECT_EQ(BarPercent(bar), std::nullopt);
  host.log.clear();
  host.surface.dc.gradient_fills.clear();
  bar.Resize();
  EXPECT_EQ(host.surface.dc.gradient_fills.size(), 2u);  // trough only: Value is 0
  EXPECT_NE(std::find(host.log.begin(), host.log.end(), "Print \"0%\""), host.log.end());
  EXPECT_EQ(host.log[0], "SetWindowRgn 0 0 200 20 0 0 1");
}

TEST(RedrawBar, AFailingStepIsSkippedAndTheNextRuns) {
  Fixture f(200, 20);
  ASSERT_TRUE(f.bar.SetTextStyle(1).ok());
  f.host.surface.fail = true;
  f.host.surface.dc.fail = true;
  f.Redraw();
  const std::vector<std::string>& log = f.host.log;
  EXPECT_EQ(log[0], "SetWindowRgn 0 0 200 20 5 5 1");
  EXPECT_EQ(log[1], "Cls");
  EXPECT_EQ(f.host.surface.dc.gradient_fills.size(), 4u);
  EXPECT_EQ(log[3], "RoundRect 0 0 199 19 5 5");
  // The shadow's first print fails and ends the caption.
  EXPECT_EQ(std::count(log.begin(), log.end(), "Print \"50\""), 1);
}

TEST(RedrawBar, ASurfaceTooLargeForIntegersStillClearsAndCaptions) {
  Fixture f(1e20f, 20);
  ASSERT_TRUE(f.bar.SetTextStyle(1).ok());
  ASSERT_TRUE(f.bar.SetTextAlignment(1).ok());
  f.Redraw();
  const std::vector<std::string>& log = f.host.log;
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Cls");  // no region: the size does not fit
  EXPECT_TRUE(f.host.surface.dc.gradient_fills.empty());
  EXPECT_NE(std::find(log.begin(), log.end(), "Print \"50\""), log.end());
}

TEST(LoadThemeColours, BuiltInPalettesFillBothEntriesOfEachPair) {
  ThemeColourTable colours{};
  LoadThemeColours(1, 0, 0, colours);
  const ThemeColourTable gold{kT0, kT0,  kT2,  kT2,  kT4,  kT4,  kT6,  kT6,        kF8,
                              kF8, kF10, kF10, kF12, kF12, kF14, kF14, C(0xCCA83E)};
  EXPECT_EQ(colours, gold);

  struct Row {
    std::int32_t theme;
    std::uint32_t trough_start, fill_second_start, outline;
  };
  for (const Row& row :
       {Row{2, 0xF7F8F2, 0xBECB39, 0xC0CC3E}, Row{3, 0xF2F8F3, 0x39CB46, 0x3ECC4A},
        Row{4, 0xF2F8F7, 0x39CBBE, 0x3ECCC0}, Row{5, 0xF3F2F8, 0x4639CB, 0x4A3ECC},
        Row{6, 0xF8F2F7, 0xCB39BE, 0xCC3EC0}, Row{7, 0xF8F2F2, 0xCB3939, 0xCC3E3E},
        Row{8, 0xFAFDFE, 0x3F70E9, 0x178BD3}, Row{9, 0xE7F3E8, 0x1AE41A, 0xBCB8BC}}) {
    LoadThemeColours(row.theme, 0, 0, colours);
    EXPECT_EQ(colours[0], C(row.trough_start)) << "theme " << row.theme;
    EXPECT_EQ(colours[1], C(row.trough_start)) << "theme " << row.theme;
    EXPECT_EQ(colours[12], C(row.fill_second_start)) << "theme " << row.theme;
    EXPECT_EQ(colours[16], C(row.outline)) << "theme " << row.theme;
  }
}

TEST(LoadThemeColours, CustomThemeWithBothColoursZero) {
  ThemeColourTable colours{};
  LoadThemeColours(10, 0, 0, colours);
  const Colour b4 = C(0xB4B4B4), x32 = C(0x323232), x50 = C(0x505050);
  EXPECT_EQ(colours, (ThemeColourTable{b4, b4, x32, x32, 0, 0, x50, x50, b4, b4, x32, x32, 0, 0,
                                       x50, x50, 0}));
}

TEST(LoadThemeColours, CustomThemeLightensTroughFromColourTwoAndBarFromColourOne) {
  ThemeColourTable colours{};
  const Colour c1 = Rgb(0x20, 0x40, 0xF0);
  const Colour c2 = Rgb(0x10, 0x00, 0x90);
  LoadThemeColours(10, c1, c2, colours);
  EXPECT_EQ(colours[0], Rgb(0xC4, 0xB4, 0xFF));
  EXPECT_EQ(colours[2], Rgb(0x42, 0x32, 0xC2));
  EXPECT_EQ(colours[4], c2);
  EXPECT_EQ(colours[6], Rgb(0x60, 0x50, 0xE0));
  EXPECT_EQ(colours[8], Rgb(0xD4, 0xF4, 0xFF));
  EXPECT_EQ(colours[10], Rgb(0x52, 0x72, 0xFF));
  EXPECT_EQ(colours[12], c1);
  EXPECT_EQ(colours[14], Rgb(0x70, 0x90, 0xFF));
  EXPECT_EQ(colours[16], c1);
}

TEST(LoadThemeColours, OtherThemesKeepThePalette) {
  ThemeColourTable colours{};
  for (std::int32_t theme : {0, 11, -1, 1000}) {
    LoadThemeColours(theme, 0x123456, 0x654321, colours);
    EXPECT_EQ(colours, ThemeColourTable{}) << "theme " << theme;
  }
  LoadThemeColours(3, 0, 0, colours);
  const ThemeColourTable green = colours;
  LoadThemeColours(11, 0, 0, colours);
  EXPECT_EQ(colours, green);
}

ThemeColourTable Greyed(ThemeColourTable colours) {
  for (Colour& colour : colours) colour = ToGrey(colour);
  return colours;
}

TEST(RedrawBar, DisabledGreysThePaletteInPlace) {
  Fixture f(200, 20);
  ThemeColourTable gold{};
  LoadThemeColours(1, 0, 0, gold);
  ASSERT_EQ(f.bar.ThemeColours(), gold);

  ASSERT_TRUE(f.bar.SetEnabled(false).ok());
  EXPECT_EQ(f.bar.ThemeColours(), Greyed(gold));
  f.Redraw();
  EXPECT_EQ(f.host.log[2], "SetForeColor 0x00919191");  // the grey of CCA83E
  EXPECT_EQ(Bands(f.host.surface.dc)[0].start, ToGrey(kT0));

  // A theme outside 1 to 10 loads nothing, so the greyed palette stays.
  ASSERT_TRUE(f.bar.SetTheme(11).ok());
  ASSERT_TRUE(f.bar.SetEnabled(true).ok());
  EXPECT_EQ(f.bar.ThemeColours(), Greyed(gold));
  ASSERT_TRUE(f.bar.SetTheme(1).ok());
  EXPECT_EQ(f.bar.ThemeColours(), gold);
}

}  // namespace
}  // namespace quorvel::progressbar
