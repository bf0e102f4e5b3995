#pragma once

#include <windows.h>

#include <string>

namespace quorvel::shell {

// The windows' face: 9 points of "Microsoft YaHei UI", which every Chinese
// Windows from 8 on has, or where it is missing "SimSun", which every one
// has; failing both, whatever face the system gives Chinese text.  One font
// per resolution, set on every control of a window.
class WindowFont {
 public:
  explicit WindowFont(int points = 9) : points_(points) {}
  ~WindowFont();
  WindowFont(const WindowFont&) = delete;
  WindowFont& operator=(const WindowFont&) = delete;

  // The font at `dpi`, made when first asked for.
  HFONT At(int dpi) { return AtPixels(PixelHeight(points_, dpi)); }
  // The face at `pixel_height` pixels to the em instead.
  HFONT AtPixels(int pixel_height);

  // The face asked for.
  static const std::wstring& FaceName();
  // The size in pixels of the em of `points` at `dpi`.
  static int PixelHeight(int points, int dpi) { return MulDiv(points, dpi, 72); }
  // A font of the face at `pixel_height`, for the caller to delete.
  static HFONT Make(int pixel_height);

 private:
  int points_;
  int pixel_height_ = 0;
  HFONT font_ = nullptr;
  // The font before the last change: controls hold it until they are given
  // the new one, so it goes only with the next change.
  HFONT retired_ = nullptr;
};

}  // namespace quorvel::shell
