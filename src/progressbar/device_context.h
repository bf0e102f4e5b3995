#pragma once

// The device context that the progress bar's gradient painters draw on: the
// two platform drawing operations they use, with the platform's own record
// layouts, behind an interface so that a painter can draw on any surface.

#include <cstdint>

#include "quorvel/progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// One gradient vertex. Channels are 16-bit patterns (the 8-bit channel in the
// high byte); the device reads them as unsigned.
struct TriVertex {
  std::int32_t x;
  std::int32_t y;
  std::int16_t red;
  std::int16_t green;
  std::int16_t blue;
  std::int16_t alpha;
};
static_assert(sizeof(TriVertex) == 16);

// One rectangle of a gradient mesh: indices into the vertex array of its
// upper-left and lower-right corners.
struct GradientRect {
  std::uint32_t upper_left;
  std::uint32_t lower_right;
};
static_assert(sizeof(GradientRect) == 8);

// GradientFill() modes.
inline constexpr std::uint32_t kGradientFillRectH = 0;  // colour changes left to right
inline constexpr std::uint32_t kGradientFillRectV = 1;  // colour changes top to bottom

struct BitmapInfoHeader {
  std::uint32_t size;  // 40
  std::int32_t width;
  std::int32_t height;  // positive: bottom-up rows
  std::uint16_t planes;
  std::uint16_t bit_count;
  std::uint32_t compression;
  std::uint32_t size_image;
  std::int32_t x_pels_per_meter;
  std::int32_t y_pels_per_meter;
  std::uint32_t clr_used;
  std::uint32_t clr_important;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// The header and a one-entry colour table: 44 bytes.
struct BitmapInfo {
  BitmapInfoHeader header;
  std::uint32_t colours[1];
};
static_assert(sizeof(BitmapInfo) == 44);

inline constexpr std::uint32_t kBiRgb = 0;          // uncompressed
inline constexpr std::uint32_t kDibRgbColours = 0;  // colour use: literal RGB

// Bytes in one scan line of a 24-bit bitmap `width` pixels wide: the platform
// reads scan lines in whole 4-byte units.
constexpr std::int64_t ScanLineBytes24(std::int32_t width) {
  return (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4;
}

// A rectangle of device pixels, right and bottom exclusive.
struct DeviceRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

class QUORVEL_PROGRESSBAR_EXPORT DeviceContext {
 public:
  virtual ~DeviceContext() = default;

  // The part of the device that drawing can reach; nothing outside it is ever
  // painted, so painters may skip work that lies wholly outside.
  virtual DeviceRect GetClipBox() const = 0;

  // Fills each rectangle of `mesh` with a linear gradient between the colours
  // of its two vertices, horizontally (kGradientFillRectH) or vertically
  // (kGradientFillRectV). The rectangle runs from the upper-left vertex to the
  // lower-right one, right and bottom exclusive; one with right <= left or
  // bottom <= top paints nothing. False for an unknown mode or a vertex index
  // outside `vertices`.
  virtual bool GradientFill(const TriVertex* vertices, std::uint32_t vertex_count,
                            const GradientRect* mesh, std::uint32_t mesh_count,
                            std::uint32_t mode) = 0;

  // Copies `height` rows of `width` pixels of a device-independent bitmap to
  // the device with their top-left corner at (x, y). The source rectangle has
  // its lower-left corner at (x_src, y_src) of the bitmap; `bits` holds
  // `scan_count` scan lines starting with line `start_scan`, bottom line
  // first. Returns the number of scan lines set, 0 on failure.
  virtual int SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width,
                                std::uint32_t height, std::int32_t x_src, std::int32_t y_src,
                                std::uint32_t start_scan, std::uint32_t scan_count,
                                const void* bits, const BitmapInfo* info,
                                std::uint32_t colour_use) = 0;
};

}  // namespace quorvel::progressbar
