#include "service/http/http_date.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace quorvel::service {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Reads exactly `width` digits (leading spaces allowed when `padded`).
std::optional<int> Digits(std::string_view text, std::size_t width, bool padded = false) {
  if (text.size() < width) return std::nullopt;
  int value = 0;
  bool seen = false;
  for (std::size_t i = 0; i < width; ++i) {
    const char c = text[i];
    if (c == ' ' && padded && !seen) continue;
    if (c < '0' || c > '9') return std::nullopt;
    seen = true;
    value = value * 10 + (c - '0');
  }
  return seen ? std::optional<int>(value) : std::nullopt;
}

std::optional<unsigned> Month(std::string_view name) {
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (name == kMonths[i]) return static_cast<unsigned>(i + 1);
  }
  return std::nullopt;
}

// "HH:MM:SS" in seconds.
std::optional<int> TimeOfDay(std::string_view text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
  const auto h = Digits(text, 2);
  const auto m = Digits(text.substr(3), 2);
  const auto s = Digits(text.substr(6), 2);
  // 60 seconds: a leap second, which the clock here cannot tell apart.
  if (!h || !m || !s || *h > 23 || *m > 59 || *s > 60) return std::nullopt;
  return *h * 3600 + *m * 60 + std::min(*s, 59);
}

// The clock counts nanoseconds in 64 bits, which ends in 2262.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2200;

std::optional<SystemTime> Moment(int y, unsigned mo, int d, std::optional<int> seconds) {
  if (!seconds || y < kFirstYear || y > kLastYear) return std::nullopt;
  const year_month_day date{year(y), month(mo), day(static_cast<unsigned>(d))};
  if (!date.ok()) return std::nullopt;
  return SystemTime(std::chrono::sys_days(date)) + std::chrono::seconds(*seconds);
}

std::optional<SystemTime> Preferred(std::string_view t) {
  // "Sun, 06 Nov 1994 08:49:37 GMT"
  if (t.size() != 29 || t[3] != ',' || t[4] != ' ' || t[7] != ' ' || t[11] != ' ' || t[16] != ' ' ||
      t.substr(25) != " GMT") {
    return std::nullopt;
  }
  const auto d = Digits(t.substr(5), 2);
  const auto mo = Month(t.substr(8, 3));
  const auto y = Digits(t.substr(12), 4);
  if (!d || !mo || !y) return std::nullopt;
  return Moment(*y, *mo, *d, TimeOfDay(t.substr(17, 8)));
}

std::optional<SystemTime> Obsolete(std::string_view t) {
  // "Sunday, 06-Nov-94 08:49:37 GMT": two-digit years are read as the
  // closest one that is not more than 50 years ahead.
  const std::size_t comma = t.find(", ");
  if (comma == std::string_view::npos || comma < 6) return std::nullopt;
  t = t.substr(comma + 2);
  if (t.size() != 22 || t[2] != '-' || t[6] != '-' || t[9] != ' ' || t.substr(18) != " GMT") {
    return std::nullopt;
  }
  const auto d = Digits(t, 2);
  const auto mo = Month(t.substr(3, 3));
  const auto yy = Digits(t.substr(7), 2);
  if (!d || !mo || !yy) return std::nullopt;
  const int this_year = static_cast<int>(
      year_month_day(std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()))
          .year());
  int y = this_year / 100 * 100 + *yy;
  if (y > this_year + 50) y -= 100;
  return Moment(y, *mo, *d, TimeOfDay(t.substr(10, 8)));
}

std::optional<SystemTime> Asctime(std::string_view t) {
  // "Sun Nov  6 08:49:37 1994"
  if (t.size() != 24 || t[3] != ' ' || t[7] != ' ' || t[10] != ' ' || t[19] != ' ') {
    return std::nullopt;
  }
  const auto mo = Month(t.substr(4, 3));
  const auto d = Digits(t.substr(8), 2, true);
  const auto y = Digits(t.substr(20), 4);
  if (!d || !mo || !y) return std::nullopt;
  return Moment(*y, *mo, *d, TimeOfDay(t.substr(11, 8)));
}

}  // namespace

std::string FormatHttpDate(SystemTime time) {
  const auto seconds = std::chrono::floor<std::chrono::seconds>(time);
  // Every reply of a catalogue carries its one time: each thread writes it
  // out once, not at every reply it builds.
  thread_local std::optional<std::chrono::sys_seconds> last_time;
  thread_local std::string last_text;
  if (last_time == seconds) return last_text;
  const auto days = std::chrono::floor<std::chrono::days>(seconds);
  const year_month_day date(days);
  const std::chrono::hh_mm_ss clock(seconds - days);
  const std::chrono::weekday weekday(days);
  char text[40];
  std::snprintf(
      text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT", kDays[weekday.c_encoding()].data(),
      static_cast<unsigned>(date.day()), kMonths[static_cast<unsigned>(date.month()) - 1].data(),
      static_cast<int>(date.year()), static_cast<int>(clock.hours().count()),
      static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
  last_text = text;
  last_time = seconds;
  return last_text;
}

std::optional<SystemTime> ParseHttpDate(std::string_view text) {
  if (auto time = Preferred(text)) return time;
  if (auto time = Asctime(text)) return time;
  return Obsolete(text);
}

}  // namespace quorvel::service
