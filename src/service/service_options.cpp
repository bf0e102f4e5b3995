#include "service/service_options.h"

#include <algorithm>

#include "protocol/site_pages.h"
#include "protocol/wire_format.h"
#include "service/service_option_table.h"
#include "service/store/seed_catalogue.h"

namespace quorvel::service {
namespace {

// The row whose name is `name`, among those that take a value or, with
// `switches`, among the switches.
const OptionRow* FindOption(std::string_view name, bool switches) {
  for (const OptionRow& row : ServiceOptionRows()) {
    const bool is_switch = row.value == OptionValue::kNone;
    if (is_switch == switches && (row.name == name || (switches && row.short_name == name))) {
      return &row;
    }
  }
  return nullptr;
}

}  // namespace

std::variant<ServiceOptions, OptionsError> ParseServiceOptions(
    std::span<const char* const> arguments) {
  ServiceOptions options;
  bool max_skipped_given = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    if (const OptionRow* flag = FindOption(name, true)) {
      TakeOptionValue(*flag, {}, options);
      continue;
    }
    std::optional<std::string_view> value;
    if (const std::size_t eq = name.find('=');
        eq != std::string_view::npos && name.starts_with("--")) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const OptionRow* row = FindOption(name, false);
    if (row == nullptr) return OptionsError{"unknown option " + std::string(arguments[i])};
    if (!value) {
      if (i + 1 >= arguments.size()) return OptionsError{std::string(name) + " needs a value"};
      value = arguments[++i];
    }
    if (std::optional<std::string> refusal = TakeOptionValue(*row, *value, options)) {
      return OptionsError{std::move(*refusal)};
    }
    while (row->more && i + 1 < arguments.size() &&
           !std::string_view(arguments[i + 1]).starts_with('-')) {
      if (std::optional<std::string> refusal = TakeOptionValue(*row, arguments[++i], options)) {
        return OptionsError{std::move(*refusal)};
      }
    }
    if (name == "--max-skipped") max_skipped_given = true;
  }
  if (max_skipped_given && !options.import_file) {
    return OptionsError{"--max-skipped goes with --import"};
  }
  if (int{options.import_file.has_value()} + int{!options.remove_ids.empty()} +
          int{options.export_file.has_value()} >
      1) {
    return OptionsError{"--import, --remove and --export go one at a time"};
  }
  // Metrics tell more than a client should learn, so never where clients are.
  if (options.metrics_address && options.metrics_port == options.port && options.port != 0) {
    return OptionsError{"--metrics needs a port of its own, not the service's --port"};
  }
  // Taken, since a monitoring network may need it, but said: on every address
  // the metrics are there for anyone who can reach the machine.
  if (options.metrics_address &&
      (*options.metrics_address == "0.0.0.0" || *options.metrics_address == "::")) {
    options.warnings.push_back("--metrics " + *options.metrics_address +
                               " answers on every address of this machine; give the address "
                               "of the loopback or monitoring network unless that is meant");
  }
  return options;
}

std::string DefaultDatabasePath(const char* xdg_data_home, const char* home) {
  constexpr std::string_view kTail = "/quorvel/catalogue.sqlite3";
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
    return std::string(xdg_data_home) + std::string(kTail);
  }
  if (home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.local/share" + std::string(kTail);
  }
  return std::string();
}

namespace {

constexpr std::size_t kUsageWidth = 79;

// Appends `text` filled into lines of at most kUsageWidth columns, the first
// going on from `column`, the others indented to `indent`.  Two spaces after
// a sentence stay two.
void Fill(std::string& out, std::string_view text, std::size_t column, std::size_t indent) {
  bool line_empty = true;
  std::size_t gap = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (word.empty()) {
      ++gap;
      continue;
    }
    if (!line_empty && column + gap + 1 + word.size() > kUsageWidth) {
      out.append("\n").append(indent, ' ');
      column = indent;
      line_empty = true;
    }
    if (!line_empty) {
      out.append(gap + 1, ' ');
      column += gap + 1;
    }
    out.append(word);
    column += word.size();
    line_empty = false;
    gap = 0;
  }
  out.push_back('\n');
}

struct UsageGroup {
  OptionGroup group;
  std::string_view heading;  // empty: none
  std::string_view after;    // the lines that follow the options
};

constexpr UsageGroup kUsageGroups[] = {
    {OptionGroup::kGeneral, {}, {}},
    {OptionGroup::kLimits, "Limits, so that no client can lock others out or exhaust the service:",
     R"(Only GET and HEAD are served (405 otherwise); pipelined requests are answered
in order.  Framing that could be read two ways gets 400 and the connection
ends: HTTP/1.1 without Host, two Host headers, Content-Length headers that
differ, white space in a header name, control characters (NUL included) in
the request line, "%00" in the path, an address in absolute form
("http://HOST/PATH") whose host is not the Host header's; with the same host
it is served as its path.  libmicrohttpd 1.0 ends the connection on a NUL in
the request line by itself, without a reply.  A head beyond the limits gets
414 or 431 as soon as it is in, and the connection ends.  "Expect:
100-continue" is answered at once, without the interim reply.
)"},
    {OptionGroup::kCaching, "Caches and proxies:",
     R"(Every listing and page reply carries an ETag (the catalogue's identity, the
first 128 bits of the SHA-256 of the request, and the coding), Last-Modified
where it comes from the catalogue, Cache-Control and Vary; If-None-Match and
If-Modified-Since get 304.  Bodies of 256 bytes or more go out gzip- or
br-compressed when the client's Accept-Encoding asks for it (several lines
count as one list): quickly, under the weak form of the tag ("W/") and
"Cache-Control: private", the first time, and thoroughly, under the strong
tag, from then on.
)"},
};

constexpr std::string_view kUsageClosing =
    R"(Once it accepts connections it prints "listening on http://ADDR:PORT/" on
standard output.  Each request is logged on standard error as one line:
method, path with query, status ("-" when the connection ended before the
reply was sent whole), body bytes and microseconds taken.
Lines are capped (the path at 1024 characters, then "...[cut:N]"), and
when standard error is not read fast enough lines are dropped rather than
waited for, and counted in a line of their own.
SIGINT or SIGTERM stops it within two seconds: no new connections are taken,
replies under way get most of that time to finish and the log the rest, and
it exits with status 0.

--db refuses anything that is not a regular file, a symbolic link to one, or a
path that does not exist yet (exit status 2).  Run as root, the service also
refuses a database or file in a folder that anyone but root can change, where
a planted link could make root overwrite or reveal any file (exit status 2).  An import builds the new
catalogue beside the old one and replaces it whole.  A running service watches
its catalogue's folder and loads a new catalogue as soon as it is there, in the
background, answering from the old one meanwhile with "Cache-Control:
no-cache", so that no cache keeps those replies beyond the load, and serves the
new one once it is loaded (it logs "loaded PATH: N entries" then); the old
one's replies leave the reply cache at once.  To push a catalogue to running
services, import into a new file on the same file system and rename it over
the live one: from that log line on, every reply comes from the new catalogue,
with new ETags.
)";

std::string MakeUsageText() {
  using namespace protocol;
  std::string usage = "Usage: catalogue-service [OPTION]...\n";
  const std::string listing = std::string(kListingPath) + std::string(kQueryStart) +
                              std::string(kPageKey) + "=N[&" + std::string(kTermKey) + "=TERM]";
  Fill(usage,
       "Serves the Quorvel catalogue over HTTP: the listing at " + listing + ", the tip page " +
           std::string(kTipPagePath) + ", the notice " + std::string(kNoticePagePath) +
           ", the partner home page / and a page per entry at " + std::string(kDownloadPrefix) +
           "ID.  A database that does not exist yet is created with the bundled starter "
           "catalogue (" +
           std::to_string(kSeedEntryCount) +
           " made-up entries) when the service starts, and with the entries of FILE alone by "
           "--import.",
       0, 0);
  for (const UsageGroup& group : kUsageGroups) {
    usage.push_back('\n');
    if (!group.heading.empty()) usage.append(group.heading).push_back('\n');
    std::size_t column = 0;
    for (const OptionRow& row : ServiceOptionRows()) {
      if (row.group == group.group) column = std::max(column, OptionSynopsis(row).size());
    }
    column += 4;  // two spaces before, two after
    for (const OptionRow& row : ServiceOptionRows()) {
      if (row.group != group.group) continue;
      const std::string synopsis = "  " + OptionSynopsis(row);
      usage.append(synopsis).append(column - synopsis.size(), ' ');
      Fill(usage, OptionHelp(row), column, column);
    }
    usage.append(group.after);
  }
  usage.push_back('\n');
  usage.append(kUsageClosing);
  return usage;
}

}  // namespace

std::string_view UsageText() {
  static const std::string text = MakeUsageText();
  return text;
}

}  // namespace quorvel::service
