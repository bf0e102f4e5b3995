#include "client/shell/win32/window_font.h"

namespace quorvel::shell {
namespace {

constexpr wchar_t kFirstChoice[] = L"Microsoft YaHei UI";
constexpr wchar_t kFallback[] = L"SimSun";

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Whether the system has a family of that name, or maps the name to one
// (FontSubstitutes).
bool FaceExists(const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  EnumFontFamiliesExW(screen, &wanted, &NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

WindowFont::~WindowFont() {
  if (font_ != nullptr) DeleteObject(font_);
  if (retired_ != nullptr) DeleteObject(retired_);
}

const std::wstring& WindowFont::FaceName() {
  static const std::wstring face = FaceExists(kFirstChoice) ? kFirstChoice : kFallback;
  return face;
}

HFONT WindowFont::Make(int pixel_height) {
  LOGFONTW font{};
  font.lfHeight = -pixel_height;
  font.lfWeight = FW_NORMAL;
  // Asked for by name alone where the face is there; otherwise for any face
  // with the Chinese characters.
  font.lfCharSet = FaceName() == kFirstChoice ? DEFAULT_CHARSET : GB2312_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(font.lfFaceName, FaceName().c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HFONT WindowFont::AtPixels(int pixel_height) {
  if (font_ != nullptr && pixel_height == pixel_height_) return font_;
  HFONT made = Make(pixel_height);
  if (made == nullptr) return font_;
  if (retired_ != nullptr) DeleteObject(retired_);
  retired_ = font_;
  font_ = made;
  pixel_height_ = pixel_height;
  return font_;
}

}  // namespace quorvel::shell
