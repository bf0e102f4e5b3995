#include "recording_surface.h"

#include <charconv>
#include <cstdio>

namespace quorvel::progressbar::testing {

namespace {

std::string FloatText(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

Status Outcome(bool fail, const char* what) {
  return fail ? Status::Failure(std::string(what) + " failed") : Status::Ok();
}

}  // namespace

Status RecordingSurface::SetWindowRgn(const RoundRectRegion& region, bool redraw) {
  Log("SetWindowRgn " + std::to_string(region.x1) + " " + std::to_string(region.y1) + " " +
      std::to_string(region.x2) + " " + std::to_string(region.y2) + " " +
      std::to_string(region.ellipse_width) + " " + std::to_string(region.ellipse_height) + " " +
      (redraw ? "1" : "0"));
  if (fail) return Outcome(fail, "SetWindowRgn");
  regions.push_back(region);
  return Status::Ok();
}

void RecordingSurface::Cls() { Log("Cls"); }

void RecordingSurface::SetForeColor(Colour colour) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(colour));
  Log(std::string("SetForeColor ") + text);
  fore_color_ = colour;
}

void RecordingSurface::SetCurrentX(float x) {
  Log("SetCurrentX " + FloatText(x));
  current_x_ = x;
}

void RecordingSurface::SetCurrentY(float y) {
  Log("SetCurrentY " + FloatText(y));
  current_y_ = y;
}

Status RecordingSurface::Print(const QString& text) {
  Log("Print \"" + text.toStdString() + "\"");
  return Outcome(fail, "Print");
}

float RecordingSurface::TextWidth(const QString& text) const {
  return char_width * static_cast<float>(text.size());
}

float RecordingSurface::TextHeight(const QString&) const { return line_height; }

void RecordingSurface::SetFont(std::shared_ptr<QFont> font) {
  Log(font ? "SetFont" : "SetFont null");
  font_ = std::move(font);
}

Status RecordingSurface::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom, std::int32_t ellipse_width,
                                   std::int32_t ellipse_height) {
  Log("RoundRect " + std::to_string(left) + " " + std::to_string(top) + " " +
      std::to_string(right) + " " + std::to_string(bottom) + " " + std::to_string(ellipse_width) +
      " " + std::to_string(ellipse_height));
  return Outcome(fail, "RoundRect");
}

}  // namespace quorvel::progressbar::testing
