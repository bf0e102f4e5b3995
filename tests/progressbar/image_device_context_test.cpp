#include "progressbar/image_device_context.h"

#include <gtest/gtest.h>

#include <QImage>
#include <random>
#include <string>

#include "progressbar/colour_ramp.h"
#include "progressbar/colour_vertex.h"
#include "progressbar/gradient_painters.h"
#include "progressbar/pixel_kernels.h"
#include "two_colour_call.h"
#include "vector_forms.h"

namespace quorvel::progressbar {
namespace {

constexpr QRgb kBackground = 0xFF102030u;

QImage Canvas(int width, int height, QImage::Format format = QImage::Format_RGB32) {
  QImage image(width, height, format);
  image.fill(kBackground);
  return image;
}

bool Untouched(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != kBackground) return false;
    }
  }
  return true;
}

struct GradientCase {
  testing::TwoColourCall call;
  // Along the gradient's direction, from the rectangle's first pixel.
  std::vector<QRgb> along;
};

class GradientFillTable : public ::testing::TestWithParam<GradientCase> {};

// The image is 8 x 6; what the rectangle does not cover keeps its colour.
TEST_P(GradientFillTable, PaintsTheRectangleExactly) {
  const auto& [c, along] = GetParam();
  QImage image = Canvas(8, 6);
  ImageDeviceContext dc(&image);
  c.DrawOn(dc);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
      const QRgb got = image.pixel(x, y);
      if (!inside) {
        ASSERT_EQ(got, kBackground) << x << "," << y;
        continue;
      }
      const int d = c.direction == kGradientFillRectH ? x - c.left : y - c.top;
      ASSERT_EQ(got, along.at(d)) << x << "," << y;
    }
  }
}

const GradientCase kGradientCases[] = {
    // Left column exactly the start colour, then (a * (w - d) + b * d) / w
    // rounded down; the end colour itself is never reached.
    {{"Horizontal", kGradientFillRectH, Rgb(0, 0, 0), Rgb(255, 255, 255), 0, 0, 4, 6},
     {0xFF000000, 0xFF3F3F3F, 0xFF7F7F7F, 0xFFBFBFBF}},
    {{"Vertical", kGradientFillRectV, Rgb(200, 100, 0), Rgb(0, 100, 200), 2, 1, 7, 4},
     {qRgb(200, 100, 0), qRgb(133, 100, 66), qRgb(66, 100, 133)}},
    {{"Descending", kGradientFillRectH, Rgb(255, 0, 9), Rgb(0, 255, 9), 3, 2, 8, 3},
     {qRgb(255, 0, 9), qRgb(204, 51, 9), qRgb(153, 102, 9), qRgb(102, 153, 9), qRgb(51, 204, 9)}},
    {{"OnePixelWide", kGradientFillRectH, Rgb(1, 2, 3), Rgb(250, 250, 250), 5, 0, 6, 6},
     {qRgb(1, 2, 3)}},
    {{"RightEqualsLeft", kGradientFillRectH, Rgb(1, 2, 3), 0, 4, 0, 4, 6}, {}},
    {{"BottomEqualsTop", kGradientFillRectV, Rgb(1, 2, 3), 0, 0, 3, 8, 3}, {}},
    {{"Reversed", kGradientFillRectH, Rgb(1, 2, 3), 0, 6, 4, 2, 1}, {}},
};

INSTANTIATE_TEST_SUITE_P(Rectangles, GradientFillTable, ::testing::ValuesIn(kGradientCases),
                         [](const auto& info) { return std::string(info.param.call.name); });

TEST(ImageGradientFillTest, ClippedRectangleKeepsItsGradient) {
  // The rectangle runs from x = -100 to 300 over an image 100 wide: the
  // visible part is the slice of the whole gradient from d = 100 on.
  QImage image = Canvas(100, 3);
  ImageDeviceContext dc(&image);
  GradientTwoColour(dc, kGradientFillRectH, Rgb(0, 0, 0), Rgb(200, 0, 40), -100, -5, 300, 2);
  for (int x = 0; x < 100; ++x) {
    const int d = x + 100;
    ASSERT_EQ(image.pixel(x, 0), qRgb(200 * d / 400, 0, 40 * d / 400)) << x;
    ASSERT_EQ(image.pixel(x, 1), image.pixel(x, 0));
    ASSERT_EQ(image.pixel(x, 2), kBackground);
  }
  QImage tall = Canvas(2, 50);
  ImageDeviceContext tall_dc(&tall);
  GradientTwoColour(tall_dc, kGradientFillRectV, Rgb(255, 255, 255), 0, 0, -1000, 2, 1000);
  for (int y = 0; y < 50; ++y) {
    const int grey = 255 * (2000 - (y + 1000)) / 2000;
    ASSERT_EQ(tall.pixel(1, y), qRgb(grey, grey, grey)) << y;
  }
}

TEST(ImageGradientFillTest, WalkMatchesTheFormulaOverLongSpans) {
  std::mt19937 random(5);
  std::uniform_int_distribution<Colour> colour(0, 0xFFFFFF);
  for (int width : {1, 2, 3, 255, 256, 257, 700}) {
    QImage image = Canvas(width, 1);
    ImageDeviceContext dc(&image);
    const Colour start = colour(random);
    const Colour end = colour(random);
    GradientTwoColour(dc, kGradientFillRectH, start, end, 0, 0, width, 1);
    for (int x = 0; x < width; ++x) {
      const auto channel = [&](int a, int b) { return (a * (width - x) + b * x) / width; };
      ASSERT_EQ(image.pixel(x, 0),
                qRgb(channel(GetRed(start), GetRed(end)), channel(GetGreen(start), GetGreen(end)),
                     channel(GetBlue(start), GetBlue(end))))
          << width << " " << x;
    }
  }
}

TEST(ImageGradientFillTest, RefusesBadCallsAndPaintsNothing) {
  QImage image = Canvas(4, 4);
  ImageDeviceContext dc(&image);
  const TriVertex vertices[2] = {ColourVertex(0, 0, 0xFFFFFF), ColourVertex(4, 4, 0)};
  const GradientRect good{0, 1};
  const GradientRect bad_index{0, 2};
  EXPECT_FALSE(dc.GradientFill(vertices, 2, &good, 1, 2));  // triangle mode is not ours
  const GradientRect both[2] = {good, bad_index};
  EXPECT_FALSE(dc.GradientFill(vertices, 2, both, 2, kGradientFillRectH));
  EXPECT_FALSE(dc.GradientFill(nullptr, 0, &good, 1, kGradientFillRectH));
  EXPECT_TRUE(Untouched(image));
  EXPECT_TRUE(dc.GradientFill(vertices, 2, nullptr, 0, kGradientFillRectH));
  EXPECT_TRUE(Untouched(image));
  EXPECT_TRUE(dc.GradientFill(vertices, 2, &good, 1, kGradientFillRectV));
  EXPECT_EQ(image.pixel(3, 0), 0xFFFFFFFFu);
}

TEST(ImageDeviceContextTest, OtherFormatsAndNullImagesFail) {
  QImage indexed(4, 4, QImage::Format_RGB888);
  indexed.fill(Qt::black);
  const QImage before = indexed;
  ImageDeviceContext dc(&indexed);
  const TriVertex vertices[2] = {ColourVertex(0, 0, 0xFFFFFF), ColourVertex(4, 4, 0)};
  const GradientRect mesh{0, 1};
  EXPECT_FALSE(dc.GradientFill(vertices, 2, &mesh, 1, kGradientFillRectH));
  EXPECT_EQ(dc.GetClipBox(), DeviceRect{});
  EXPECT_TRUE(DrawGradientFourColour(dc, 0, 0, 4, 4, 1, 2, 3, 4).ok());
  EXPECT_EQ(indexed, before);

  QImage null_image;
  ImageDeviceContext null_dc(&null_image);
  EXPECT_FALSE(null_dc.GradientFill(vertices, 2, &mesh, 1, kGradientFillRectH));
  ImageDeviceContext no_image(nullptr);
  EXPECT_FALSE(no_image.GradientFill(vertices, 2, &mesh, 1, kGradientFillRectH));

  QImage argb = Canvas(4, 4, QImage::Format_ARGB32_Premultiplied);
  ImageDeviceContext argb_dc(&argb);
  EXPECT_EQ(argb_dc.GetClipBox(), (DeviceRect{0, 0, 4, 4}));
  EXPECT_TRUE(argb_dc.GradientFill(vertices, 2, &mesh, 1, kGradientFillRectH));
  EXPECT_EQ(argb.pixel(0, 0), 0xFFFFFFFFu);
}

BitmapInfo Header24(std::int32_t width, std::int32_t height) {
  BitmapInfo info{};
  info.header.size = 40;
  info.header.width = width;
  info.header.height = height;
  info.header.planes = 1;
  info.header.bit_count = 24;
  return info;
}

TEST(ImageSetDIBitsTest, BottomUpLinesLandInOrder) {
  // Two lines of two pixels; the first stored line is the bottom one.
  const std::uint8_t bits[] = {1, 2, 3, 4,  5,  6,  0, 0,  // bottom: (3,2,1) (6,5,4)
                               7, 8, 9, 10, 11, 12, 0, 0};
  const BitmapInfo info = Header24(2, 2);
  QImage image = Canvas(4, 4);
  ImageDeviceContext dc(&image);
  EXPECT_EQ(dc.SetDIBitsToDevice(1, 1, 2, 2, 0, 0, 0, 2, bits, &info, kDibRgbColours), 2);
  EXPECT_EQ(image.pixel(1, 1), qRgb(9, 8, 7));
  EXPECT_EQ(image.pixel(2, 1), qRgb(12, 11, 10));
  EXPECT_EQ(image.pixel(1, 2), qRgb(3, 2, 1));
  EXPECT_EQ(image.pixel(2, 2), qRgb(6, 5, 4));
  EXPECT_EQ(image.pixel(0, 1), kBackground);
  EXPECT_EQ(image.pixel(3, 2), kBackground);
  EXPECT_EQ(image.pixel(1, 0), kBackground);
  EXPECT_EQ(image.pixel(1, 3), kBackground);

  // A source rectangle of one pixel whose lower-left corner is (1, 1): the
  // top line's second pixel.
  QImage one = Canvas(2, 2);
  ImageDeviceContext one_dc(&one);
  EXPECT_EQ(one_dc.SetDIBitsToDevice(0, 0, 1, 1, 1, 1, 0, 2, bits, &info, kDibRgbColours), 2);
  EXPECT_EQ(one.pixel(0, 0), qRgb(12, 11, 10));
}

TEST(ImageSetDIBitsTest, RefusesWhatItDoesNotDraw) {
  const std::uint8_t bits[16] = {};
  QImage image = Canvas(4, 4);
  ImageDeviceContext dc(&image);
  const BitmapInfo good = Header24(2, 2);
  BitmapInfo bad_count = good;
  bad_count.header.bit_count = 32;
  BitmapInfo bad_size = good;
  bad_size.header.size = 12;
  BitmapInfo compressed = good;
  compressed.header.compression = 1;
  BitmapInfo top_down = good;
  top_down.header.height = -2;
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, &bad_count, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, &bad_size, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, &compressed, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, &top_down, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, &good, 1), 0);  // palette use
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 1, 1, bits, &good, 0), 0);  // a band
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 3, 2, 0, 0, 0, 2, bits, &good, 0), 0);  // too wide
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 1, 0, 2, bits, &good, 0), 0);  // too high
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, -1, 0, 0, 2, bits, &good, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, nullptr, &good, 0), 0);
  EXPECT_EQ(dc.SetDIBitsToDevice(0, 0, 2, 2, 0, 0, 0, 2, bits, nullptr, 0), 0);
  EXPECT_TRUE(Untouched(image));
}

// Four-colour gradients read back from the image equal the scan lines the
// painter sends, converted pixel by pixel, whatever part of them is visible.
class ImageFourColourTest : public ::testing::TestWithParam<pixel_kernels::VectorForms> {
 protected:
  void SetUp() override { pixel_kernels::LimitVectorForms(GetParam()); }
  void TearDown() override { pixel_kernels::LimitVectorForms(pixel_kernels::VectorForms::kAvx2); }
};

TEST_P(ImageFourColourTest, ReadsBackTheReferenceRows) {
  struct Placement {
    int left, top, width, height;
  };
  const Placement placements[] = {{0, 0, 40, 30},   {3, 2, 1, 1},     {5, 4, 33, 7},
                                  {-10, -3, 64, 9}, {20, 25, 50, 20}, {0, 0, 11, 1}};
  const Colour tl = Rgb(250, 10, 30), tr = Rgb(20, 240, 100), bl = Rgb(3, 128, 255),
               br = Rgb(200, 60, 5);
  for (const Placement& p : placements) {
    QImage image = Canvas(40, 30);
    ImageDeviceContext dc(&image);
    ASSERT_TRUE(DrawGradientFourColour(dc, p.left, p.top, p.width, p.height, tl, tr, bl, br).ok());
    ColourRamp left;
    ColourRamp right;
    ASSERT_TRUE(BuildColourRamp(left, p.height, ToPixelTriple(tl), ToPixelTriple(bl)).ok());
    ASSERT_TRUE(BuildColourRamp(right, p.height, ToPixelTriple(tr), ToPixelTriple(br)).ok());
    for (int y = 0; y < 30; ++y) {
      ColourRamp row;
      const int r = y - p.top;
      if (r >= 0 && r < p.height) {
        ASSERT_TRUE(BuildColourRamp(row, p.width, left[r], right[r]).ok());
      }
      for (int x = 0; x < 40; ++x) {
        const int i = x - p.left;
        const bool inside = r >= 0 && r < p.height && i >= 0 && i < p.width;
        const QRgb expected =
            inside ? qRgb(row[i][kRedByte], row[i][kGreenByte], row[i][kBlueByte]) : kBackground;
        ASSERT_EQ(image.pixel(x, y), expected) << p.left << "," << p.top << " " << x << "," << y;
      }
    }
  }
}

TEST_P(ImageFourColourTest, FlatCornersFillLikeQImage) {
  QImage image = Canvas(123, 17);
  ImageDeviceContext dc(&image);
  ASSERT_TRUE(
      DrawGradientFourColour(dc, 0, 0, 123, 17, 0x336699, 0x336699, 0x336699, 0x336699).ok());
  QImage expected(123, 17, QImage::Format_RGB32);
  expected.fill(qRgb(0x99, 0x66, 0x33));
  EXPECT_EQ(image, expected);
}

TEST_P(ImageFourColourTest, FillsAndConversionsCoverExactlyTheirRange) {
  // Every start alignment and length around the vector widths.
  std::vector<std::uint32_t> words(200);
  std::vector<std::uint8_t> triples(3 * 200);
  for (std::size_t i = 0; i < triples.size(); ++i) triples[i] = static_cast<std::uint8_t>(i * 7);
  for (int offset = 0; offset < 9; ++offset) {
    for (int count = 0; count < 150; ++count) {
      std::fill(words.begin(), words.end(), 0xDEADBEEFu);
      pixel_kernels::Fill32(words.data() + offset, count, 0xFF123456u);
      for (int i = 0; i < 200; ++i) {
        const bool inside = i >= offset && i < offset + count;
        ASSERT_EQ(words[i], inside ? 0xFF123456u : 0xDEADBEEFu) << offset << " " << count;
      }
      std::fill(words.begin(), words.end(), 0xDEADBEEFu);
      // A buffer of exactly the triples, so that a sanitizer sees any read past them.
      const std::vector<std::uint8_t> exact(triples.begin() + 3 * offset,
                                            triples.begin() + 3 * (offset + count));
      pixel_kernels::TriplesToRgb32(exact.data(), words.data() + offset, count);
      for (int i = 0; i < 200; ++i) {
        const std::uint8_t* p = triples.data() + 3 * i;
        const bool inside = i >= offset && i < offset + count;
        ASSERT_EQ(words[i], inside ? qRgb(p[2], p[1], p[0]) : 0xDEADBEEFu)
            << offset << " " << count;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, ImageFourColourTest, ::testing::ValuesIn(kAllForms), FormName);

}  // namespace
}  // namespace quorvel::progressbar
