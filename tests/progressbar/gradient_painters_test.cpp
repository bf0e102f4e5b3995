#include "progressbar/gradient_painters.h"

#include "progressbar/colour_ramp.h"
#include "progressbar/colour_vertex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "progressbar/pixel_kernels.h"
#include "recording_device_context.h"
#include "two_colour_call.h"
#include "vector_forms.h"

namespace quorvel::progressbar {
namespace {

using testing::RecordingDeviceContext;
using testing::TwoColourCall;

TEST(ColourVertexTest, PutsEachChannelInTheHighByte) {
  const TriVertex blue = ColourVertex(3, 4, 0xFF0000);
  EXPECT_EQ(blue.x, 3);
  EXPECT_EQ(blue.y, 4);
  EXPECT_EQ(blue.red, 0);
  EXPECT_EQ(blue.green, 0);
  EXPECT_EQ(static_cast<std::uint16_t>(blue.blue), 0xFF00);
  EXPECT_EQ(blue.alpha, 0);
  const TriVertex mixed = ColourVertex(0, 0, 0x80123456);  // top byte ignored
  EXPECT_EQ(static_cast<std::uint16_t>(mixed.red), 0x5600);
  EXPECT_EQ(static_cast<std::uint16_t>(mixed.green), 0x3400);
  EXPECT_EQ(static_cast<std::uint16_t>(mixed.blue), 0x1200);
}

class GradientTwoColourTable : public ::testing::TestWithParam<TwoColourCall> {};

TEST_P(GradientTwoColourTable, MakesOneFillOfTwoVertices) {
  const TwoColourCall& c = GetParam();
  RecordingDeviceContext dc;
  c.DrawOn(dc);
  ASSERT_EQ(dc.gradient_fills.size(), 1u);
  const auto& call = dc.gradient_fills[0];
  EXPECT_EQ(call.mode, c.direction);
  ASSERT_EQ(call.vertices.size(), 2u);
  ASSERT_EQ(call.mesh.size(), 1u);
  EXPECT_EQ(call.mesh[0].upper_left, 0u);
  EXPECT_EQ(call.mesh[0].lower_right, 1u);
  const TriVertex expected[2] = {ColourVertex(c.left, c.top, c.start),
                                 ColourVertex(c.right, c.bottom, c.end)};
  for (int v = 0; v < 2; ++v) {
    EXPECT_EQ(std::memcmp(&call.vertices[v], &expected[v], sizeof(TriVertex)), 0) << v;
  }
  EXPECT_TRUE(dc.set_dibits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, GradientTwoColourTable,
    ::testing::Values(TwoColourCall{"Horizontal", 0, 0xF2F6F8, 0xD3E3E9, 0, 0, 200, 10},
                      TwoColourCall{"Vertical", 1, 0x3EA8CC, 0x000000, 0, 10, 148, 20},
                      // Right equal to left is still one call; the device paints nothing.
                      TwoColourCall{"Empty", 1, 0xFFFFFF, 0, 5, 0, 5, 20},
                      TwoColourCall{"UnknownDirection", 7, 0xFFFFFF, 0, 0, 0, 5, 5},
                      TwoColourCall{"Reversed", 0, 0x0000FF, 0xFF0000, 50, 40, 10, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GradientTwoColourTest, IgnoresAFailingDevice) {
  RecordingDeviceContext dc;
  dc.fail = true;
  GradientTwoColour(dc, 0, 0, 0xFFFFFF, 0, 0, 10, 10);
  EXPECT_EQ(dc.gradient_fills.size(), 1u);
}

// The reference: the column ramps, then one full ramp per row.
std::vector<std::vector<std::uint8_t>> ReferenceRows(std::int32_t width, std::int32_t height,
                                                     Colour tl, Colour tr, Colour bl, Colour br) {
  ColourRamp left;
  ColourRamp right;
  EXPECT_TRUE(BuildColourRamp(left, height, ToPixelTriple(tl), ToPixelTriple(bl)).ok());
  EXPECT_TRUE(BuildColourRamp(right, height, ToPixelTriple(tr), ToPixelTriple(br)).ok());
  std::vector<std::vector<std::uint8_t>> rows;
  for (std::int32_t r = 0; r < height; ++r) {
    ColourRamp row;
    EXPECT_TRUE(BuildColourRamp(row, width, left[r], right[r]).ok());
    std::vector<std::uint8_t> bytes;
    for (std::int32_t i = 0; i < width; ++i)
      bytes.insert(bytes.end(), row[i].begin(), row[i].end());
    rows.push_back(bytes);
  }
  return rows;
}

TEST(DrawGradientFourColourTest, SendsOneBottomUpScanLinePerRowTopFirst) {
  RecordingDeviceContext dc;
  ASSERT_TRUE(DrawGradientFourColour(dc, 7, 9, 5, 3, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF).ok());
  ASSERT_EQ(dc.set_dibits.size(), 3u);
  for (std::int32_t r = 0; r < 3; ++r) {
    const auto& call = dc.set_dibits[r];
    EXPECT_EQ(call.x, 7);
    EXPECT_EQ(call.y, 9 + r);
    EXPECT_EQ(call.width, 5u);
    EXPECT_EQ(call.height, 1u);
    EXPECT_EQ(call.x_src, 0);
    EXPECT_EQ(call.y_src, 0);
    EXPECT_EQ(call.start_scan, 0u);
    EXPECT_EQ(call.scan_count, 1u);
    EXPECT_EQ(call.colour_use, kDibRgbColours);
    // The whole 44-byte header: zeroed, then the six fields set.
    BitmapInfo expected;
    std::memset(&expected, 0, sizeof expected);
    expected.header.size = 40;
    expected.header.width = 5;
    expected.header.height = 1;
    expected.header.planes = 1;
    expected.header.bit_count = 24;
    EXPECT_EQ(std::memcmp(&call.info, &expected, sizeof expected), 0);
    EXPECT_EQ(call.bits.size(), 16u);  // 15 bytes rounded up to whole 4-byte units
  }
  EXPECT_TRUE(dc.gradient_fills.empty());
}

struct FourColourFailureCase {
  const char* name;
  std::int32_t width;
  std::int32_t height;
  bool ok;
};

class FourColourFailureTable : public ::testing::TestWithParam<FourColourFailureCase> {};

TEST_P(FourColourFailureTable, PaintsNothingOnImpossibleSizes) {
  RecordingDeviceContext dc;
  const Status drawn =
      DrawGradientFourColour(dc, 0, 0, GetParam().width, GetParam().height, 1, 2, 3, 4);
  EXPECT_EQ(drawn.ok(), GetParam().ok);
  if (!drawn.ok()) {
    EXPECT_FALSE(drawn.reason().empty());
  }
  EXPECT_TRUE(dc.set_dibits.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FourColourFailureTable,
    ::testing::Values(FourColourFailureCase{"ZeroHeightSucceeds", 10, 0, true},
                      FourColourFailureCase{"NegativeHeight", 10, -1, false},
                      FourColourFailureCase{"ZeroWidth", 0, 5, false},
                      FourColourFailureCase{"NegativeWidth", -3, 5, false},
                      FourColourFailureCase{"BothBad", 0, -1, false},
                      FourColourFailureCase{"ZeroWidthZeroHeight", 0, 0, false},
                      FourColourFailureCase{"WidthBeyondMemory", 1 << 30, 1, false},
                      FourColourFailureCase{"HeightBeyondMemory", 1, 1 << 30, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawGradientFourColourTest, TwoByOneStopsOneStepShortOfTheRightCorner) {
  RecordingDeviceContext dc;
  ASSERT_TRUE(DrawGradientFourColour(dc, 0, 0, 2, 1, Rgb(0, 0, 0), Rgb(200, 100, 50), Rgb(9, 9, 9),
                                     Rgb(9, 9, 9))
                  .ok());
  ASSERT_EQ(dc.set_dibits.size(), 1u);
  const std::vector<std::uint8_t>& bits = dc.set_dibits[0].bits;
  // Triples are blue, green, red: TL, then the midpoint of TL and TR.
  EXPECT_EQ(std::vector<std::uint8_t>(bits.begin(), bits.begin() + 6),
            (std::vector<std::uint8_t>{0, 0, 0, 25, 50, 100}));
}

TEST(DrawGradientFourColourTest, EqualCornersPaintAFlatRectangle) {
  RecordingDeviceContext dc;
  const Colour c = Rgb(17, 130, 241);
  ASSERT_TRUE(DrawGradientFourColour(dc, 0, 0, 37, 6, c, c, c, c).ok());
  ASSERT_EQ(dc.set_dibits.size(), 6u);
  for (const auto& call : dc.set_dibits) {
    for (int i = 0; i < 37; ++i) {
      ASSERT_EQ(call.bits[3 * i], 241);
      ASSERT_EQ(call.bits[3 * i + 1], 130);
      ASSERT_EQ(call.bits[3 * i + 2], 17);
    }
  }
}

class FourColourFormsTest : public ::testing::TestWithParam<pixel_kernels::VectorForms> {
 protected:
  void SetUp() override { pixel_kernels::LimitVectorForms(GetParam()); }
  void TearDown() override { pixel_kernels::LimitVectorForms(pixel_kernels::VectorForms::kAvx2); }
};

TEST_P(FourColourFormsTest, RowsMatchOneRampPerRow) {
  std::mt19937 random(11);
  std::uniform_int_distribution<Colour> colour(0, 0xFFFFFF);
  const std::pair<std::int32_t, std::int32_t> sizes[] = {
      {1, 1},
      {2, 3},
      {31, 4},
      {1920, 40},
      {32, 5},
      {33, 2},
      {45, 17},
      {64, 64},
      {97, 300},
      {300, 9},
      // Wider than the shared sequences serve: computed row by row.
      {8193, 2}};
  for (const auto& [width, height] : sizes) {
    for (int trial = 0; trial < 3; ++trial) {
      const Colour tl = colour(random), tr = colour(random), bl = colour(random),
                   br = colour(random);
      RecordingDeviceContext dc;
      ASSERT_TRUE(DrawGradientFourColour(dc, 0, 0, width, height, tl, tr, bl, br).ok());
      const auto reference = ReferenceRows(width, height, tl, tr, bl, br);
      ASSERT_EQ(dc.set_dibits.size(), reference.size());
      for (std::size_t r = 0; r < reference.size(); ++r) {
        const std::vector<std::uint8_t>& bits = dc.set_dibits[r].bits;
        ASSERT_TRUE(std::equal(reference[r].begin(), reference[r].end(), bits.begin()))
            << width << "x" << height << " row " << r;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, FourColourFormsTest, ::testing::ValuesIn(kAllForms), FormName);

TEST(DrawGradientFourColourTest, RowsOutsideTheDeviceAreNotSent) {
  RecordingDeviceContext whole;
  ASSERT_TRUE(DrawGradientFourColour(whole, 0, -5, 20, 30, 0xFF, 0xFF00, 0xFF0000, 0x00).ok());
  RecordingDeviceContext clipped;
  clipped.clip_box = {0, 0, 100, 10};
  ASSERT_TRUE(DrawGradientFourColour(clipped, 0, -5, 20, 30, 0xFF, 0xFF00, 0xFF0000, 0x00).ok());
  ASSERT_EQ(clipped.set_dibits.size(), 10u);
  for (std::size_t i = 0; i < clipped.set_dibits.size(); ++i) {
    EXPECT_EQ(clipped.set_dibits[i].y, static_cast<std::int32_t>(i));
    EXPECT_EQ(clipped.set_dibits[i].bits, whole.set_dibits[i + 5].bits);
  }
  RecordingDeviceContext beside;
  beside.clip_box = {100, 0, 200, 100};
  ASSERT_TRUE(DrawGradientFourColour(beside, 0, 0, 100, 30, 1, 2, 3, 4).ok());
  EXPECT_TRUE(beside.set_dibits.empty());
}

TEST(DrawGradientFourColourTest, RowsNearTheCoordinateLimitStayInRange) {
  RecordingDeviceContext dc;
  ASSERT_TRUE(DrawGradientFourColour(dc, 0, 2147483640, 3, 20, 1, 2, 3, 4).ok());
  ASSERT_EQ(dc.set_dibits.size(), 7u);  // the rows at 2147483647 and below
  EXPECT_EQ(dc.set_dibits.back().y, 2147483646);
}

// A device that paints another gradient of its own while it is given a row.
class NestingDeviceContext final : public DeviceContext {
 public:
  DeviceRect GetClipBox() const override { return outer.GetClipBox(); }
  bool GradientFill(const TriVertex*, std::uint32_t, const GradientRect*, std::uint32_t,
                    std::uint32_t) override {
    return false;
  }
  int SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                        std::int32_t x_src, std::int32_t y_src, std::uint32_t start_scan,
                        std::uint32_t scan_count, const void* bits, const BitmapInfo* info,
                        std::uint32_t colour_use) override {
    inner = RecordingDeviceContext();
    EXPECT_TRUE(DrawGradientFourColour(inner, 0, 0, 3000, 2, 0x0000FF, 0xFFFFFF, 0, 0x00FF00).ok());
    return outer.SetDIBitsToDevice(x, y, width, height, x_src, y_src, start_scan, scan_count, bits,
                                   info, colour_use);
  }
  RecordingDeviceContext outer;
  RecordingDeviceContext inner;
};

TEST(DrawGradientFourColourTest, ADeviceMayPaintGradientsOfItsOwn) {
  NestingDeviceContext dc;
  const Colour tl = Rgb(250, 10, 30), tr = Rgb(20, 240, 100), bl = Rgb(3, 128, 255),
               br = Rgb(200, 60, 5);
  ASSERT_TRUE(DrawGradientFourColour(dc, 0, 0, 1920, 6, tl, tr, bl, br).ok());
  const auto outer = ReferenceRows(1920, 6, tl, tr, bl, br);
  const auto inner = ReferenceRows(3000, 2, 0x0000FF, 0xFFFFFF, 0, 0x00FF00);
  ASSERT_EQ(dc.outer.set_dibits.size(), outer.size());
  for (std::size_t r = 0; r < outer.size(); ++r) {
    EXPECT_TRUE(std::equal(outer[r].begin(), outer[r].end(), dc.outer.set_dibits[r].bits.begin()))
        << r;
  }
  ASSERT_EQ(dc.inner.set_dibits.size(), inner.size());
  for (std::size_t r = 0; r < inner.size(); ++r) {
    EXPECT_TRUE(std::equal(inner[r].begin(), inner[r].end(), dc.inner.set_dibits[r].bits.begin()))
        << r;
  }
}

TEST(DrawGradientFourColourTest, IgnoresAFailingDevice) {
  RecordingDeviceContext dc;
  dc.fail = true;
  EXPECT_TRUE(DrawGradientFourColour(dc, 0, 0, 4, 4, 1, 2, 3, 4).ok());
  EXPECT_EQ(dc.set_dibits.size(), 4u);
}

}  // namespace
}  // namespace quorvel::progressbar
