#pragma once

#include <string>
#include <vector>

#include "progressbar/drawing_surface.h"
#include "recording_device_context.h"

namespace quorvel::progressbar::testing {

// A drawing surface that draws nothing and writes one line per call into a
// log, in the form "Name arg arg ..." (colours as 0x00BBGGRR in hex, floats
// as the shortest text that reads back to them, text in quotes):
//   "SetWindowRgn 0 0 200 20 5 5 1", "Cls", "SetForeColor 0x003EA8CC",
//   "SetCurrentX 1", "SetCurrentY 2.5", "Print \"50%\"",
//   "RoundRect 0 0 199 19 5 5", "SetFont" (or "SetFont null").
// Getters, measurements and the device context are not logged; the device
// context records its own calls.
class RecordingSurface final : public DrawingSurface {
 public:
  // Lines go to `log`, which must outlive the surface.
  explicit RecordingSurface(std::vector<std::string>* log) : log_(log) {}

  Status SetWindowRgn(const RoundRectRegion& region, bool redraw) override;
  float ScaleWidth() const override { return scale_width; }
  float ScaleHeight() const override { return scale_height; }
  void Cls() override;
  void SetForeColor(Colour colour) override;
  Colour ForeColor() const override { return fore_color_; }
  void SetCurrentX(float x) override;
  void SetCurrentY(float y) override;
  float CurrentX() const override { return current_x_; }
  float CurrentY() const override { return current_y_; }
  Status Print(const QString& text) override;
  // char_width per character and line_height, whatever the font.
  float TextWidth(const QString& text) const override;
  float TextHeight(const QString& text) const override;
  void SetFont(std::shared_ptr<QFont> font) override;
  std::shared_ptr<QFont> Font() const override { return font_; }
  DeviceContext& Dc() override { return dc; }
  Status RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   std::int32_t ellipse_width, std::int32_t ellipse_height) override;

  float scale_width = 200;
  float scale_height = 20;
  float char_width = 7;
  float line_height = 13;
  // When set, every call that can fail does, after logging.
  bool fail = false;
  RecordingDeviceContext dc;
  // Every region set, latest last.
  std::vector<RoundRectRegion> regions;

 private:
  void Log(std::string line) { log_->push_back(std::move(line)); }

  std::vector<std::string>* log_;
  Colour fore_color_ = 0;
  float current_x_ = 0;
  float current_y_ = 0;
  std::shared_ptr<QFont> font_;
};

}  // namespace quorvel::progressbar::testing
