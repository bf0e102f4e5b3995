// The picture at a device pixel ratio of 2: twice the pixels each way, the
// geometry in logical pixels, the caption's glyphs drawn at the device's
// resolution rather than enlarged.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include "image_host.h"
#include "progressbar/progress_bar.h"
#include "progressbar/property_persistence.h"
#include "progressbar/theme_palettes.h"

namespace quorvel::progressbar {
namespace {

using testing::ImageHost;

QRgb Pixel(Colour colour) { return qRgb(GetRed(colour), GetGreen(colour), GetBlue(colour)); }

// A new bar painted at `ratio`, 120 x 24 logical pixels, Value 50.
struct Painted {
  explicit Painted(qreal ratio) : host(QSize()) {
    host.surface.SetDevicePixelRatio(ratio);
    host.surface.Resize(QSize(120, 24));
    EXPECT_TRUE(InitProperties(bar, host).ok());
  }
  const QImage& Image() const { return host.surface.Image(); }
  ImageHost host;
  ProgressBar bar{host};
};

// Whether some 2 x 2 block of device pixels inside `area` is not one colour,
// which an image enlarged from half its resolution never has.
bool HasDetailFinerThanTwoPixels(const QImage& image, QRect area) {
  for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2) {
    for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
      const QRgb p = image.pixel(x, y);
      if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p ||
          image.pixel(x + 1, y + 1) != p) {
        return true;
      }
    }
  }
  return false;
}

TEST(BarHiDpi, TwiceThePixelsWithLogicalGeometryAndSharpGlyphs) {
  Painted sharp(2);
  ASSERT_EQ(sharp.Image().size(), QSize(240, 48));
  EXPECT_EQ(sharp.Image().devicePixelRatio(), 2);
  EXPECT_EQ(sharp.host.surface.ScaleWidth(), 120);
  ASSERT_TRUE(sharp.bar.SetTextStyle(0).ok());
  const QImage without_caption = sharp.Image().copy();
  // The fill ends at logical column 60, device column 120; the lower bands
  // start at logical row 12, device row 24.
  EXPECT_EQ(sharp.Image().pixel(119, 24), Pixel(FromRrggbb(0xCBA639)));
  EXPECT_EQ(sharp.Image().pixel(120, 24), Pixel(FromRrggbb(0xE2D7B6)));
  // The outline is one logical pixel wide: device columns 0 and 1.
  EXPECT_EQ(sharp.Image().pixel(0, 24), Pixel(FromRrggbb(0xCCA83E)));
  EXPECT_EQ(sharp.Image().pixel(1, 24), Pixel(FromRrggbb(0xCCA83E)));
  // The caption measures the same as at ratio 1 and has detail of one device
  // pixel.
  Painted plain(1);
  EXPECT_EQ(sharp.host.surface.TextWidth(sharp.bar.Text()),
            plain.host.surface.TextWidth(plain.bar.Text()));
  ASSERT_TRUE(sharp.bar.SetTextStyle(3).ok());
  QRect caption;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 240; ++x) {
      if (sharp.Image().pixel(x, y) != without_caption.pixel(x, y)) caption |= QRect(x, y, 1, 1);
    }
  }
  ASSERT_FALSE(caption.isEmpty());
  EXPECT_TRUE(HasDetailFinerThanTwoPixels(sharp.Image(), caption));
}

}  // namespace
}  // namespace quorvel::progressbar
