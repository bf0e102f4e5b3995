#pragma once

// The state of a ProgressBar, behind its one private pointer: a field per
// property in the control's declaration order, plus the working palette.

#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "progressbar/progress_bar.h"

namespace quorvel::progressbar {

class ProgressBarPrivate {
 public:
  ProgressBarPrivate(ProgressBar& q, ProgressBarHost& host) : q(q), host(host) {}

  // Steps 2 and 3 of every setter: tell the host, then repaint through the
  // (possibly overridden) RedrawBar().
  Status Announce(std::string_view name);
  // All three steps of a setter that stores the value as given.
  template <typename T>
  Status Store(T& field, T value, std::string_view name) {
    field = std::move(value);
    return Announce(name);
  }

  ProgressBar& q;
  ProgressBarHost& host;

  std::int32_t text_style = 0;
  std::int32_t theme = 0;
  std::int32_t orientations = 0;
  QString text;
  Colour text_fore_color = 0;
  std::int32_t text_alignment = 0;
  std::shared_ptr<QFont> text_font;
  Colour text_effect_color = 0;
  std::int32_t text_effect = 0;
  std::int32_t rounded_value = 0;
  std::int32_t min = 0;
  std::int32_t value = 0;
  std::int32_t max = 0;
  bool enabled = false;
  ThemeColourTable theme_colours{};
  Colour pbs_custome_color1 = 0;
  Colour pbs_custome_color2 = 0;
};

}  // namespace quorvel::progressbar
