#pragma once

// The design's twips and the shell's screen places as Qt's geometry.

#include <QPoint>
#include <QRect>
#include <QSize>

#include "client/shell/screen_geometry.h"
#include "client/shell/twips.h"

namespace quorvel::shell {

// A design's rectangle in Qt's device-independent pixels.
inline QRect ToPixels(const TwipsRect& r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
               TwipsToPixels(r.height));
}

inline ScreenRect ToScreenRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
inline ScreenSize ToScreenSize(const QSize& s) { return {s.width(), s.height()}; }
inline QPoint ToQPoint(const ScreenPoint& p) { return QPoint(p.x, p.y); }

}  // namespace quorvel::shell
