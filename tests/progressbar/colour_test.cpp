#include "progressbar/colour.h"

#include "progressbar/colour_ramp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "progressbar/pixel_kernels.h"
#include "progressbar/rounding.h"
#include "vector_forms.h"

namespace quorvel::progressbar {
namespace {

TEST(ColourTest, RgbPutsRedInTheLowByte) {
  EXPECT_EQ(Rgb(0x12, 0x34, 0x56), 0x00563412u);
  EXPECT_EQ(Rgb(200, 200, 200), 0x00C8C8C8u);
}

struct ChannelCase {
  Colour colour;
  int red;
  int green;
  int blue;
};

class ChannelTable : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelTable, ExtractsEachByte) {
  const ChannelCase& c = GetParam();
  EXPECT_EQ(GetRed(c.colour), c.red);
  EXPECT_EQ(GetGreen(c.colour), c.green);
  EXPECT_EQ(GetBlue(c.colour), c.blue);
  const PixelTriple triple = ToPixelTriple(c.colour);
  EXPECT_EQ(triple[kBlueByte], c.blue);
  EXPECT_EQ(triple[kGreenByte], c.green);
  EXPECT_EQ(triple[kRedByte], c.red);
}

INSTANTIATE_TEST_SUITE_P(Colours, ChannelTable,
                         ::testing::Values(ChannelCase{0x00000000u, 0, 0, 0},
                                           ChannelCase{0x00FFFFFFu, 255, 255, 255},
                                           ChannelCase{0x00FF0000u, 0, 0, 255},
                                           ChannelCase{0x003EA8CCu, 0xCC, 0xA8, 0x3E},
                                           // A system colour's top byte is not a channel.
                                           ChannelCase{0x80000005u, 5, 0, 0}));

struct ColourMapCase {
  const char* name;
  Colour colour;
  std::int32_t amount;  // ShiftColour only
  Colour expected;
};

class ToGreyTable : public ::testing::TestWithParam<ColourMapCase> {};

TEST_P(ToGreyTable, AveragesTheChannels) {
  EXPECT_EQ(ToGrey(GetParam().colour), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ToGreyTable,
    ::testing::Values(ColourMapCase{"White", 0xFFFFFF, 0, 0xFFFFFF},
                      ColourMapCase{"Black", 0, 0, 0},
                      ColourMapCase{"PureRed", Rgb(255, 0, 0), 0, 0x555555},
                      // 2/3 rounds up, 1/3 down.
                      ColourMapCase{"TwoThirdsUp", Rgb(1, 1, 0), 0, Rgb(1, 1, 1)},
                      ColourMapCase{"OneThirdDown", Rgb(1, 0, 0), 0, 0},
                      ColourMapCase{"ThemeOutline", 0x3EA8CC, 0, Rgb(145, 145, 145)},
                      ColourMapCase{"TopByteDropped", 0x80FFFFFF, 0, 0xFFFFFF}),
    [](const auto& info) { return std::string(info.param.name); });

class ShiftColourTable : public ::testing::TestWithParam<ColourMapCase> {};

TEST_P(ShiftColourTable, ShiftsEveryChannel) {
  EXPECT_EQ(ShiftColour(GetParam().colour, GetParam().amount), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, ShiftColourTable,
    ::testing::Values(ColourMapCase{"BlackBy180", 0, 180, 0xB4B4B4},
                      ColourMapCase{"GreyCapped", 0x808080, 180, 0xFFFFFF},
                      ColourMapCase{"By50", Rgb(10, 20, 30), 50, Rgb(60, 70, 80)},
                      ColourMapCase{"MixedCap", Rgb(200, 100, 0), 80, Rgb(255, 180, 80)},
                      // Negative amounts reflect at zero: 20 - 50 gives 30.
                      ColourMapCase{"NegativeReflects", Rgb(20, 100, 0), -50, Rgb(30, 50, 50)},
                      ColourMapCase{"ZeroAmount", 0x123456, 0, 0x123456},
                      ColourMapCase{"HugeAmount", 0, std::numeric_limits<std::int32_t>::max(),
                                    0xFFFFFF},
                      ColourMapCase{"HugeNegative", 0x102030,
                                    std::numeric_limits<std::int32_t>::min(), 0xFFFFFF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SafeDivideTest, ZeroOperandsGiveZero) {
  EXPECT_EQ(SafeDivide(7, 0), 0.0f);
  EXPECT_EQ(SafeDivide(0, 5), 0.0f);
  EXPECT_EQ(SafeDivide(0, 0), 0.0f);
}

TEST(SafeDivideTest, QuotientIsSinglePrecision) {
  EXPECT_EQ(SafeDivide(255, 2), 127.5f);
  EXPECT_EQ(SafeDivide(-255, 7), static_cast<float>(-255.0 / 7.0));
  EXPECT_EQ(SafeDivide(1, 3), 1.0f / 3.0f);
  EXPECT_TRUE(std::isinf(SafeDivide(1e300, 1e-300)));
}

struct BitsCase {
  std::int32_t value;
  std::optional<std::int16_t> bits;
};

class LongToUShortBitsTable : public ::testing::TestWithParam<BitsCase> {};

TEST_P(LongToUShortBitsTable, GivesTheSixteenBitPattern) {
  EXPECT_EQ(LongToUShortBits(GetParam().value), GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LongToUShortBitsTable,
    ::testing::Values(BitsCase{0, 0}, BitsCase{255, 255}, BitsCase{32767, 32767},
                      BitsCase{32768, std::int16_t{-32768}},
                      BitsCase{65280, static_cast<std::int16_t>(0xFF00)},
                      BitsCase{65535, std::int16_t{-1}}, BitsCase{-32768, std::int16_t{-32768}},
                      // Beyond 65535 the subtraction still fits up to 98303.
                      BitsCase{65536, std::int16_t{0}}, BitsCase{98303, std::int16_t{32767}},
                      BitsCase{98304, std::nullopt}, BitsCase{-32769, std::nullopt},
                      BitsCase{std::numeric_limits<std::int32_t>::max(), std::nullopt},
                      BitsCase{std::numeric_limits<std::int32_t>::min(), std::nullopt}));

struct RoundCase {
  double value;
  double rounded;
};

class RoundHalfEvenTable : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTable, SendsHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfEvenTable,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{3.5, 4}, RoundCase{-0.5, 0},
                                           RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                                           RoundCase{127.5, 128}, RoundCase{147.5, 148},
                                           RoundCase{10.49999, 10}, RoundCase{10.50001, 11},
                                           RoundCase{-7.2, -7}, RoundCase{1e17, 1e17}));

TEST(RoundToInt32Test, RefusesWhatDoesNotFit) {
  EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483648);  // tie to the even neighbour
  EXPECT_EQ(RoundToInt32(2147483647.5), std::nullopt);
  EXPECT_EQ(RoundToInt32(-2147483649.0), std::nullopt);
  EXPECT_EQ(RoundToInt32(std::nan("")), std::nullopt);
  EXPECT_EQ(RoundToInt32(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(RoundToInt32(147.5), 148);
}

PixelTriple Grey(std::uint8_t v) { return {v, v, v}; }

struct RampCase {
  const char* name;
  std::int32_t count;
  PixelTriple from;
  PixelTriple to;
  std::vector<PixelTriple> ramp;
};

class BuildColourRampTable : public ::testing::TestWithParam<RampCase> {};

TEST_P(BuildColourRampTable, BuildsEveryEntry) {
  ColourRamp ramp;
  ASSERT_TRUE(BuildColourRamp(ramp, GetParam().count, GetParam().from, GetParam().to).ok());
  EXPECT_EQ(ramp, GetParam().ramp);
}

INSTANTIATE_TEST_SUITE_P(
    Ramps, BuildColourRampTable,
    ::testing::Values(
        // The step 127.5 gives 127.5 at i = 1, which goes to the even 128.
        RampCase{"BlackToWhiteInTwo", 2, Grey(0), Grey(255), {Grey(0), Grey(128), Grey(255)}},
        RampCase{"CountZero", 0, {1, 2, 3}, {200, 100, 50}, {{1, 2, 3}}},
        RampCase{"Descending", 2, Grey(255), Grey(0), {Grey(255), Grey(128), Grey(0)}},
        // 1 + 0.5 = 1.5 goes up to 2; 2 + 0.5 = 2.5 goes down to 2.
        RampCase{"TiesByStart", 2, {1, 2, 0}, {2, 3, 0}, {{1, 2, 0}, {2, 2, 0}, {2, 3, 0}}},
        RampCase{"PerChannel",
                 3,
                 {0, 30, 255},
                 {255, 0, 0},
                 {{0, 30, 255}, {85, 20, 170}, {170, 10, 85}, {255, 0, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BuildColourRampTest, NegativeCountFailsAndLeavesTheRamp) {
  ColourRamp ramp{{1, 2, 3}};
  const Status built = BuildColourRamp(ramp, -1, Grey(0), Grey(255));
  EXPECT_FALSE(built.ok());
  EXPECT_FALSE(built.reason().empty());
  EXPECT_EQ(ramp, (ColourRamp{{1, 2, 3}}));
  std::uint8_t bytes[3] = {7, 7, 7};
  EXPECT_FALSE(BuildColourRampInto(bytes, -5, Grey(0), Grey(255)).ok());
  EXPECT_EQ(bytes[0], 7);
}

TEST(BuildColourRampTest, EndsAtToWithinRounding) {
  ColourRamp ramp;
  for (std::int32_t count : {1, 3, 7, 100, 1919, 4097}) {
    ASSERT_TRUE(BuildColourRamp(ramp, count, {3, 250, 128}, {251, 0, 129}).ok());
    ASSERT_EQ(ramp.size(), static_cast<std::size_t>(count) + 1);
    EXPECT_EQ(ramp.front(), (PixelTriple{3, 250, 128}));
    EXPECT_EQ(ramp.back(), (PixelTriple{251, 0, 129})) << count;
  }
}

// The packed form must give the same bytes as the reference whichever loop
// the processor runs.
class RampFormsTest : public ::testing::TestWithParam<pixel_kernels::VectorForms> {
 protected:
  void SetUp() override { pixel_kernels::LimitVectorForms(GetParam()); }
  void TearDown() override { pixel_kernels::LimitVectorForms(pixel_kernels::VectorForms::kAvx2); }
};

TEST_P(RampFormsTest, PackedRampMatchesTheReference) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 3000);
  for (int trial = 0; trial < 300; ++trial) {
    const PixelTriple from{static_cast<std::uint8_t>(byte(random)),
                           static_cast<std::uint8_t>(byte(random)),
                           static_cast<std::uint8_t>(byte(random))};
    const PixelTriple to{static_cast<std::uint8_t>(byte(random)),
                         static_cast<std::uint8_t>(byte(random)),
                         static_cast<std::uint8_t>(byte(random))};
    const std::int32_t count = trial < 40 ? trial : length(random);
    ColourRamp reference;
    ASSERT_TRUE(BuildColourRamp(reference, count, from, to).ok());
    std::vector<std::uint8_t> packed(3 * (static_cast<std::size_t>(count) + 1));
    ASSERT_TRUE(BuildColourRampInto(packed.data(), count, from, to).ok());
    for (std::int32_t i = 0; i <= count; ++i) {
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(packed[3 * i + k], reference[i][k]) << count << " " << i;
    }
  }
}

TEST_P(RampFormsTest, SequencesRoundLikeTheReference) {
  // Every magnitude over widths that end inside and outside a vector step.
  for (std::int32_t width : {1, 2, 15, 16, 17, 33, 255, 256, 1920, 4096}) {
    std::vector<std::uint8_t> even(width);
    std::vector<std::uint8_t> odd(width);
    for (int magnitude = 0; magnitude <= 255; ++magnitude) {
      const float step = SafeDivide(magnitude, width);
      pixel_kernels::RampSequences(step, width, even.data(), odd.data());
      for (std::int32_t i = 0; i < width; ++i) {
        ASSERT_EQ(even[i], static_cast<std::uint8_t>(RoundHalfEven(double{step} * i)))
            << width << " " << magnitude << " " << i;
        ASSERT_EQ(odd[i], static_cast<std::uint8_t>(RoundHalfEven(double{step} * i + 1) - 1))
            << width << " " << magnitude << " " << i;
      }
      // The two differ exactly where a product ends in one half.
      EXPECT_EQ(pixel_kernels::HasHalves(step, width), even != odd) << width << " " << magnitude;
      std::vector<std::uint8_t> even_only(width);
      pixel_kernels::RampSequences(step, width, even_only.data(), nullptr);
      ASSERT_EQ(even_only, even);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, RampFormsTest, ::testing::ValuesIn(kAllForms), FormName);

}  // namespace
}  // namespace quorvel::progressbar
