// The picture itself: pixels of the back buffer after a repaint.
//
// The image device context paints a band's first row (or column) in its start
// colour exactly and moves towards the end colour by
//   (near * (span - d) + far * d) / span, rounded down, per channel,
// which Between() repeats. The outline covers column 0, row 0, column W - 2
// and row H - 2 (right and bottom exclusive), so the checks look elsewhere.
#include <gtest/gtest.h>

#include <QImage>
#include <initializer_list>

#include "image_host.h"
#include "progressbar/progress_bar.h"
#include "progressbar/property_persistence.h"
#include "progressbar/theme_palettes.h"

namespace quorvel::progressbar {
namespace {

using testing::ImageHost;

QRgb Pixel(Colour colour) { return qRgb(GetRed(colour), GetGreen(colour), GetBlue(colour)); }

QRgb Between(Colour near, Colour far, int span, int d) {
  auto channel = [&](int a, int b) { return (a * (span - d) + b * d) / span; };
  return qRgb(channel(GetRed(near), GetRed(far)), channel(GetGreen(near), GetGreen(far)),
              channel(GetBlue(near), GetBlue(far)));
}

constexpr Colour C(std::uint32_t rrggbb) { return FromRrggbb(rrggbb); }
constexpr Colour kT0 = C(0xF8F6F2), kT2 = C(0xE9E3D3), kT4 = C(0xE2D7B6), kT6 = C(0xEFE9D7);
constexpr Colour kF8 = C(0xFBF4DF), kF10 = C(0xEFD585), kF12 = C(0xCBA639);
constexpr Colour kOutline = C(0xCCA83E);

// A new bar of the given size without a caption.
struct Painted {
  Painted(int width, int height) : host(QSize(width, height)) {
    EXPECT_TRUE(InitProperties(bar, host).ok());
    EXPECT_TRUE(bar.SetTextStyle(0).ok());
  }
  QRgb At(int x, int y) const { return host.surface.Image().pixel(x, y); }
  // Each point has exactly its colour.
  struct Probe {
    int x, y;
    Colour colour;
  };
  void Expect(std::initializer_list<Probe> probes) const {
    for (const Probe& at : probes)
      EXPECT_EQ(At(at.x, at.y), Pixel(at.colour)) << at.x << ", " << at.y;
  }
  ImageHost host;
  ProgressBar bar{host};
};

TEST(BarPixels, HorizontalBandsSplitAtTenForHeight21AndTwelveFor23) {
  for (const auto& [height, split] : {std::pair{21, 10}, {23, 12}}) {
    Painted p(200, height);
    ASSERT_TRUE(p.bar.SetValue(0).ok());
    EXPECT_EQ(p.At(100, split), Pixel(kT4)) << "H = " << height;
    EXPECT_EQ(p.At(100, split - 1), Between(kT0, kT2, split, split - 1)) << "H = " << height;
    EXPECT_EQ(p.At(100, 1), Between(kT0, kT2, split, 1)) << "H = " << height;
    EXPECT_EQ(p.At(100, height - 1), Between(kT4, kT6, height - split, height - split - 1));
  }
}

TEST(BarPixels, FillLengthOf295At50PercentIs148) {
  Painted p(295, 21);
  ASSERT_EQ(p.bar.Value(), 50);
  for (int y : {1, 5, 9}) {
    EXPECT_EQ(p.At(147, y), Between(kF8, kF10, 10, y)) << "row " << y;
    EXPECT_EQ(p.At(148, y), Between(kT0, kT2, 10, y)) << "row " << y;
  }
  p.Expect({{147, 10, kF12}, {148, 10, kT4}});
}

TEST(BarPixels, FillIsDrawnOnlyFromValueOne) {
  Painted p(295, 21);
  ASSERT_TRUE(p.bar.SetValue(0).ok());
  p.Expect({{1, 10, kT4}, {2, 10, kT4}});
  ASSERT_TRUE(p.bar.SetValue(1).ok());  // 2.95 pixels, rounded to 3
  p.Expect({{1, 10, kF12}, {2, 10, kF12}, {3, 10, kT4}});
}

TEST(BarPixels, VerticalBarFillsDownwardFromTheTop) {
  Painted p(24, 100);
  ASSERT_TRUE(p.bar.SetOrientations(2).ok());
  ASSERT_TRUE(p.bar.SetValue(25).ok());
  // The right band starts at column 12 in its start colour; the fill covers
  // rows 0 to 24.
  p.Expect({{12, 1, kF12}, {12, 24, kF12}, {12, 25, kT4}, {12, 90, kT4}});
  EXPECT_EQ(p.At(5, 10), Between(kF8, kF10, 12, 5));
  EXPECT_EQ(p.At(5, 60), Between(kT0, kT2, 12, 5));
}

TEST(BarPixels, OutlineIsDrawnInTheOutlineColourInsideTheRightAndBottomEdges) {
  Painted p(200, 21);
  p.Expect({{0, 10, kOutline}, {100, 0, kOutline}, {198, 10, kOutline}, {100, 19, kOutline}});
  // The last column and row keep the bands.
  EXPECT_EQ(p.At(199, 10), Pixel(kT4));
  EXPECT_NE(p.At(150, 20), Pixel(kOutline));
  EXPECT_NE(p.At(1, 10), Pixel(kOutline));
}

TEST(BarPixels, SquareCornersWithRoundedValueZero) {
  Painted p(200, 21);
  EXPECT_NE(p.At(0, 0), Pixel(kOutline));  // cut off by the rounding
  ASSERT_TRUE(p.bar.SetRoundedValue(0).ok());
  p.Expect({{0, 0, kOutline}, {198, 19, kOutline}});
}

TEST(BarPixels, CustomThemeWithBothColoursZero) {
  Painted p(200, 21);
  ASSERT_TRUE(p.bar.SetTheme(10).ok());
  ASSERT_TRUE(p.bar.SetValue(0).ok());
  // Trough: B4B4B4 to 323232 above the split, 000000 to 505050 below it.
  EXPECT_EQ(p.At(100, 1), Between(C(0xB4B4B4), C(0x323232), 10, 1));
  EXPECT_EQ(p.At(100, 9), Between(C(0xB4B4B4), C(0x323232), 10, 9));
  EXPECT_EQ(p.At(100, 10), Pixel(0));
  EXPECT_EQ(p.At(100, 20), Between(0, C(0x505050), 11, 10));
  EXPECT_EQ(p.At(0, 10), Pixel(0));  // the outline is black
  // The fill uses the same shades.
  ASSERT_TRUE(p.bar.SetValue(100).ok());
  EXPECT_EQ(p.At(100, 1), Between(C(0xB4B4B4), C(0x323232), 10, 1));
  EXPECT_EQ(p.At(100, 10), Pixel(0));
}

TEST(BarPixels, DisabledBarIsGreyAndStaysGreyUnderAnUnknownTheme) {
  Painted p(295, 21);
  ASSERT_TRUE(p.bar.SetEnabled(false).ok());
  EXPECT_EQ(p.At(0, 10), Pixel(ToGrey(kOutline)));
  EXPECT_EQ(p.At(147, 10), Pixel(ToGrey(kF12)));
  EXPECT_EQ(p.At(148, 10), Pixel(ToGrey(kT4)));

  ASSERT_TRUE(p.bar.SetTheme(0).ok());
  ASSERT_TRUE(p.bar.SetEnabled(true).ok());
  EXPECT_EQ(p.At(0, 10), Pixel(ToGrey(kOutline)));
  EXPECT_EQ(p.At(148, 10), Pixel(ToGrey(kT4)));
}

// Pixels of exactly `colour` in the rectangle.
int CountOf(const QImage& image, QRect area, QRgb colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += image.pixel(x, y) == colour;
  }
  return count;
}

TEST(BarPixels, CaptionIsPrintedInItsColourAndOnlyWithAKnownEffect) {
  Painted p(300, 30);
  ASSERT_TRUE(p.bar.SetTextForeColor(Rgb(255, 0, 0)).ok());
  ASSERT_TRUE(p.bar.SetTextEffect(1).ok());
  ASSERT_TRUE(p.bar.SetTextStyle(3).ok());
  const QRect middle(60, 2, 180, 26);
  EXPECT_GT(CountOf(p.host.surface.Image(), middle, qRgb(255, 0, 0)), 20);
  ASSERT_TRUE(p.bar.SetTextEffect(6).ok());
  EXPECT_EQ(CountOf(p.host.surface.Image(), middle, qRgb(255, 0, 0)), 0);
}

TEST(BarPixels, RepaintAfterResizeCoversTheNewSize) {
  Painted p(100, 20);
  p.host.surface.Resize(QSize(160, 30));
  p.bar.Resize();
  EXPECT_EQ(p.host.surface.Image().size(), QSize(160, 30));
  p.Expect({{158, 15, kOutline}, {79, 15, kF12}, {80, 15, kT4}});
}

}  // namespace
}  // namespace quorvel::progressbar
