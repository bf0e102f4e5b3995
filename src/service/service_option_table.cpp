#include "service/service_option_table.h"

#include <charconv>
#include <limits>
#include <utility>

#include "service/service_options.h"

namespace quorvel::service {
namespace {

using Defaults = const ServiceOptions&;
using Options = ServiceOptions&;
using Text = std::string_view;

std::optional<int> ParseIntIn(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

// "scheme://host[:port]" with nothing after it, scheme http or https.
bool IsOrigin(std::string_view text) {
  std::string_view rest;
  if (text.starts_with("http://")) {
    rest = text.substr(7);
  } else if (text.starts_with("https://")) {
    rest = text.substr(8);
  } else {
    return false;
  }
  if (rest.empty()) return false;
  for (const char c : rest) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                         c == ']';
    if (!allowed) return false;
  }
  return true;
}

// "ADDR:PORT", the address in brackets when it is IPv6 ("[::1]:9100").
std::optional<std::pair<std::string, int>> ParseListenAddress(std::string_view text) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  std::string_view address = text.substr(0, colon);
  if (address.front() == '[') {
    if (address.size() < 3 || address.back() != ']') return std::nullopt;
    address = address.substr(1, address.size() - 2);
  } else if (address.find(':') != std::string_view::npos) {
    return std::nullopt;
  }
  const std::optional<int> port = ParseIntIn(text.substr(colon + 1), 0, 65535);
  if (!port) return std::nullopt;
  return std::make_pair(std::string(address), *port);
}

std::string Shown(long long number) { return std::to_string(number); }

std::size_t Mebibytes(int count) { return static_cast<std::size_t>(count) << 20; }

constexpr int kMostInt = std::numeric_limits<int>::max();
constexpr auto kNumber = OptionValue::kNumber;
constexpr auto kText = OptionValue::kText;
constexpr auto kLimits = OptionGroup::kLimits;
constexpr auto kCaching = OptionGroup::kCaching;

constexpr OptionRow kRows[] = {
    {.name = "--port",
     .value_name = "N",
     .value = kNumber,
     .help = "port to listen on (default {default}; 0 picks a free port)",
     .least = 0,
     .most = 65535,
     .shown_default = [](Defaults d) { return Shown(d.port); },
     .take = [](Options o, Text, int n) { o.port = n; }},
    {.name = "--bind",
     .value_name = "ADDR",
     .value = kText,
     .help = "address to listen on (default {default})",
     .shown_default = [](Defaults d) { return d.bind; },
     .take = [](Options o, Text text, int) { o.bind = text; }},
    {.name = "--db",
     .value_name = "PATH",
     .value = kText,
     .help = "catalogue database (default {default})",
     // The path is worked out at start-up (DefaultDatabasePath).
     .shown_default =
         [](Defaults) {
           return std::string(
               "$XDG_DATA_HOME/quorvel/catalogue.sqlite3, or "
               "~/.local/share/quorvel/catalogue.sqlite3");
         },
     .take = [](Options o, Text text, int) { o.db_path = text; }},
    {.name = "--page-size",
     .value_name = "N",
     .value = kNumber,
     .help = "entries a listing page (default {default}, at most {most})",
     .least = 1,
     .most = 1000,
     .shown_default = [](Defaults d) { return Shown(d.page_size); },
     .take = [](Options o, Text, int n) { o.page_size = n; }},
    {.name = "--import",
     .value_name = "FILE",
     .value = kText,
     .help = "add the entries of FILE (\"-\": standard input) to the database (a new one: "
             "FILE's entries alone) and exit: one entry a line, six tab-separated fields Category, "
             "Title, LicenceMode, "
             "UpdateTime, DownloadLinks, EntryId; an entry whose EntryId is present replaces "
             "it.  Separator characters and the reply marker are removed from fields; a "
             "download address starting with \"/\" is served as an address on this service.  "
             "A line is skipped when it is longer than 1 MiB, is not UTF-8, has another number "
             "of fields, an empty EntryId, or a field longer than its limit: Title 4 KiB, "
             "DownloadLinks 16 KiB, the others 1 KiB each.",
     .take = [](Options o, Text text, int) { o.import_file = std::string(text); }},
    {.name = "--max-skipped",
     .value_name = "N",
     .value = kNumber,
     .help = "with --import: lines that may be skipped (default {default}).  The catalogue is "
             "changed only when FILE was read to its end, holds a valid entry and no more lines "
             "were skipped; otherwise the import exits with status 1 and one line naming the "
             "cause and the line, and changes nothing.",
     .least = 0,
     .most = kMostInt,
     .noun = "whole number",
     .shown_default = [](Defaults d) { return Shown(d.max_skipped); },
     .take = [](Options o, Text, int n) { o.max_skipped = n; }},
    {.name = "--remove",
     .value_name = "ENTRY_ID...",
     .value = kText,
     .help = "take the entries with these EntryIds out of the database and exit, in one step "
             "as an import changes it: all of them, or, when one is not there, none, and the "
             "command exits with status 1 and one line naming it.  An EntryId that starts with "
             "\"-\" is given as --remove=ID.",
     .more = true,
     .take = [](Options o, Text text, int) { o.remove_ids.emplace_back(text); }},
    {.name = "--export",
     .value_name = "FILE",
     .value = kText,
     .help = "write the database to FILE (\"-\": standard output) as an import file and exit: "
             "imported into a new database, it gives the same replies, byte for byte.  FILE is "
             "replaced whole once the export is complete; an entry that an import line cannot "
             "carry (a tab or a line end in a field, edited in by another program) stops the "
             "export before anything is written.",
     .take = [](Options o, Text text, int) { o.export_file = std::string(text); }},
    {.name = "--help",
     .short_name = "-h",
     .help = "show this help and exit",
     .take = [](Options o, Text, int) { o.help = true; }},

    {.name = "--max-connections",
     .value_name = "N",
     .value = kNumber,
     .group = kLimits,
     .help = "open connections in all (default {default})",
     .least = 1,
     .most = 1'000'000,
     .shown_default = [](Defaults d) { return Shown(d.limits.max_connections); },
     .take = [](Options o, Text, int n) { o.limits.max_connections = n; }},
    {.name = "--max-connections-per-address",
     .value_name = "N",
     .value = kNumber,
     .group = kLimits,
     .help = "open connections from one client address (default {default})",
     .least = 1,
     .most = 1'000'000,
     .shown_default = [](Defaults d) { return Shown(d.limits.max_connections_per_address); },
     .take = [](Options o, Text, int n) { o.limits.max_connections_per_address = n; }},
    {.name = "--request-timeout",
     .value_name = "SECONDS",
     .value = kNumber,
     .group = kLimits,
     .help = "a connection must send a whole request line and headers within this time of "
             "opening or of its previous reply, and is closed otherwise (default {default}); "
             "the metrics listener's connections too",
     .least = 1,
     .most = 3600,
     .shown_default = [](Defaults d) { return Shown(d.limits.request_timeout_seconds); },
     .take = [](Options o, Text, int n) { o.limits.request_timeout_seconds = n; }},
    {.name = "--max-header-bytes",
     .value_name = "N",
     .value = kNumber,
     .group = kLimits,
     .help = "request line and headers together, in bytes (default {default}; beyond: 431 or "
             "414)",
     .least = 1024,
     .most = 1024 * 1024,
     .shown_default = [](Defaults d) { return Shown(d.limits.max_head_bytes); },
     .take = [](Options o, Text, int n) { o.limits.max_head_bytes = n; }},
    {.name = "--max-headers",
     .value_name = "N",
     .value = kNumber,
     .group = kLimits,
     .help = "request headers (default {default}; beyond: 431)",
     .least = 1,
     .most = 10'000,
     .shown_default = [](Defaults d) { return Shown(d.limits.max_headers); },
     .take = [](Options o, Text, int n) { o.limits.max_headers = n; }},

    {.name = "--max-age",
     .value_name = "SECONDS",
     .value = kNumber,
     .group = kCaching,
     .help = "how long caches may serve a reply without asking again (Cache-Control: public, "
             "max-age=N; default {default}; 0 sends no-cache: they must ask every time)",
     .least = 0,
     .most = 31'536'000,
     .noun = "number of seconds",
     .shown_default = [](Defaults d) { return Shown(d.caching.max_age_seconds); },
     .take = [](Options o, Text, int n) { o.caching.max_age_seconds = n; }},
    {.name = "--reply-cache-mib",
     .value_name = "N",
     .value = kNumber,
     .group = kCaching,
     .help = "memory for replies kept built and compressed, in MiB (default {default}; 0 keeps "
             "none); the cache adds at most 1.25 times this to the service's resident memory",
     .least = 0,
     .most = 65536,
     .shown_default = [](Defaults d) { return Shown(d.caching.reply_cache_bytes >> 20); },
     .take = [](Options o, Text, int n) { o.caching.reply_cache_bytes = Mebibytes(n); }},
    {.name = "--origin",
     .value_name = "URL",
     .value = OptionValue::kOrigin,
     .group = kCaching,
     .help = "http://HOST[:PORT] or https://HOST[:PORT] put in front of download addresses "
             "that start with \"/\" (default: {default}); behind a proxy that terminates TLS, "
             "its public https address",
     .needs = "http://HOST[:PORT] or https://HOST[:PORT]",
     .shown_default =
         [](Defaults) { return std::string("http:// and the Host the client asked for"); },
     .take = [](Options o, Text text, int) { o.caching.origin = text; }},
    {.name = "--metrics",
     .value_name = "ADDR:PORT",
     .value = OptionValue::kListenAddress,
     .group = kCaching,
     .help = "answer GET /metrics in the Prometheus text format on a listener of its own "
             "(default: {default}); 0.0.0.0 or [::] is taken with a warning, as the metrics are "
             "then there for anyone who can reach the machine",
     .needs = "ADDR:PORT, such as 127.0.0.1:9731",
     .shown_default = [](Defaults) { return std::string("none"); },
     .take =
         [](Options o, Text text, int) {
           auto listen = ParseListenAddress(text);
           o.metrics_address = std::move(listen->first);
           o.metrics_port = listen->second;
         }},
};

void Replace(std::string& text, std::string_view mark, std::string_view by) {
  for (std::size_t at = text.find(mark); at != std::string::npos;
       at = text.find(mark, at + by.size())) {
    text.replace(at, mark.size(), by);
  }
}

}  // namespace

std::span<const OptionRow> ServiceOptionRows() { return kRows; }

std::optional<std::string> TakeOptionValue(const OptionRow& row, std::string_view text,
                                           ServiceOptions& options) {
  const std::string name(row.name);
  int number = 0;
  switch (row.value) {
    case OptionValue::kNone:
      break;
    case OptionValue::kNumber:
      if (const std::optional<int> read = ParseIntIn(text, row.least, row.most)) {
        number = *read;
      } else {
        std::string refusal =
            name + " needs a " + std::string(row.noun) + " from " + std::to_string(row.least);
        if (row.most != kMostInt) refusal += " to " + std::to_string(row.most);
        return refusal;
      }
      break;
    case OptionValue::kText:
      if (text.empty()) return name + " needs " + std::string(row.needs);
      break;
    case OptionValue::kListenAddress:
      if (!ParseListenAddress(text)) return name + " needs " + std::string(row.needs);
      break;
    case OptionValue::kOrigin:
      if (!IsOrigin(text)) return name + " needs " + std::string(row.needs);
      break;
  }
  row.take(options, text, number);
  return std::nullopt;
}

std::string OptionSynopsis(const OptionRow& row) {
  std::string synopsis;
  if (!row.short_name.empty()) synopsis.append(row.short_name).append(", ");
  synopsis.append(row.name);
  if (!row.value_name.empty()) synopsis.append(" ").append(row.value_name);
  return synopsis;
}

std::string OptionDefault(const OptionRow& row) {
  return row.shown_default != nullptr ? row.shown_default(ServiceOptions{}) : std::string();
}

std::string OptionHelp(const OptionRow& row) {
  std::string help(row.help);
  Replace(help, "{default}", OptionDefault(row));
  Replace(help, "{most}", std::to_string(row.most));
  return help;
}

}  // namespace quorvel::service
