#pragma once

#include <QRect>

namespace quorvel::shell {

// Window designs are measured in twips, fifteen to a pixel at the screen
// resolution the windows were drawn for.
inline constexpr int kTwipsPerPixel = 15;

// Nearest pixel; a negative position rounds the same way as a positive one.
constexpr int TwipsToPixels(int twips) {
  const int half = kTwipsPerPixel / 2;
  return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

// A control's rectangle in twips, relative to its container.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline QRect ToPixels(const TwipsRect& r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
               TwipsToPixels(r.height));
}

}  // namespace quorvel::shell
