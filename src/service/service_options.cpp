#include "service/service_options.h"

#include <charconv>
#include <limits>

namespace quorvel::service {
namespace {

std::optional<int> ParseIntIn(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

struct LimitOption {
  std::string_view name;
  int low;
  int high;
};

constexpr LimitOption kLimitOptions[] = {
    {"--max-connections", 1, 1'000'000}, {"--max-connections-per-address", 1, 1'000'000},
    {"--request-timeout", 1, 3600},      {"--max-header-bytes", 1024, 1024 * 1024},
    {"--max-headers", 1, 10'000},
};

const LimitOption* FindLimitOption(std::string_view name) {
  for (const LimitOption& option : kLimitOptions) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

void SetLimit(HttpLimits& limits, std::string_view name, int value) {
  const auto v = static_cast<unsigned>(value);
  if (name == "--max-connections") limits.max_connections = v;
  if (name == "--max-connections-per-address") limits.max_connections_per_address = v;
  if (name == "--request-timeout") limits.request_timeout_seconds = v;
  if (name == "--max-header-bytes") limits.max_head_bytes = v;
  if (name == "--max-headers") limits.max_headers = v;
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

}  // namespace

std::variant<ServiceOptions, OptionsError> ParseServiceOptions(
    std::span<const char* const> arguments) {
  ServiceOptions options;
  bool max_skipped_given = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view name = arguments[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    std::optional<std::string_view> value;
    if (const std::size_t eq = name.find('=');
        eq != std::string_view::npos && name.starts_with("--")) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const LimitOption* limit = FindLimitOption(name);
    if (name != "--port" && name != "--bind" && name != "--db" && name != "--page-size" &&
        name != "--import" && name != "--max-skipped" && name != "--max-age" &&
        name != "--reply-cache-mib" && name != "--metrics" && name != "--origin" &&
        limit == nullptr) {
      return OptionsError{"unknown option " + std::string(arguments[i])};
    }
    if (!value) {
      if (i + 1 >= arguments.size()) return OptionsError{std::string(name) + " needs a value"};
      value = arguments[++i];
    }
    if (limit != nullptr) {
      const std::optional<int> number = ParseIntIn(*value, limit->low, limit->high);
      if (!number) {
        return OptionsError{std::string(name) + " needs a number from " +
                            std::to_string(limit->low) + " to " + std::to_string(limit->high)};
      }
      SetLimit(options.limits, name, *number);
    } else if (name == "--port") {
      const std::optional<int> port = ParseIntIn(*value, 0, 65535);
      if (!port) return OptionsError{"--port needs a number from 0 to 65535"};
      options.port = *port;
    } else if (name == "--page-size") {
      const std::optional<int> size = ParseIntIn(*value, 1, 1000);
      if (!size) return OptionsError{"--page-size needs a number from 1 to 1000"};
      options.page_size = *size;
    } else if (name == "--max-skipped") {
      const std::optional<int> skipped = ParseIntIn(*value, 0, std::numeric_limits<int>::max());
      if (!skipped) return OptionsError{"--max-skipped needs a whole number from 0"};
      options.max_skipped = *skipped;
      max_skipped_given = true;
    } else if (name == "--max-age") {
      const std::optional<int> seconds = ParseIntIn(*value, 0, 31'536'000);
      if (!seconds) return OptionsError{"--max-age needs a number of seconds from 0 to 31536000"};
      options.caching.max_age_seconds = *seconds;
    } else if (name == "--reply-cache-mib") {
      const std::optional<int> mib = ParseIntIn(*value, 0, 65536);
      if (!mib) return OptionsError{"--reply-cache-mib needs a number from 0 to 65536"};
      options.caching.reply_cache_bytes = static_cast<std::size_t>(*mib) << 20;
    } else if (name == "--metrics") {
      const auto listen = ParseListenAddress(*value);
      if (!listen) return OptionsError{"--metrics needs ADDR:PORT, such as 127.0.0.1:9731"};
      options.metrics_address = listen->first;
      options.metrics_port = listen->second;
    } else if (name == "--origin") {
      if (!IsOrigin(*value)) {
        return OptionsError{"--origin needs http://HOST[:PORT] or https://HOST[:PORT]"};
      }
      options.caching.origin = std::string(*value);
    } else if (value->empty()) {
      return OptionsError{std::string(name) + " needs a non-empty value"};
    } else if (name == "--bind") {
      options.bind = std::string(*value);
    } else if (name == "--db") {
      options.db_path = std::string(*value);
    } else {
      options.import_file = std::string(*value);
    }
  }
  if (max_skipped_given && !options.import_file) {
    return OptionsError{"--max-skipped goes with --import"};
  }
  // Metrics tell more than a client should learn, so never where clients are.
  if (options.metrics_address && options.metrics_port == options.port && options.port != 0) {
    return OptionsError{"--metrics needs a port of its own, not the service's --port"};
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

std::string_view UsageText() {
  return R"(Usage: catalogue-service [OPTION]...
Serves the Quorvel catalogue over HTTP: the listing at
/adminphp/admin_upload.php?page=N[&q=TERM], the tip page /tishi1.8.html, the
notice /gonggao.html, the partner home page / and a page per entry at
/download/ID.  A database that does not exist yet is created with the bundled
starter catalogue (330 made-up entries) when the service starts, and with the
entries of FILE alone by --import.

  --port N        port to listen on (default 8731; 0 picks a free port)
  --bind ADDR     address to listen on (default 127.0.0.1)
  --db PATH       catalogue database (default $XDG_DATA_HOME/quorvel/
                  catalogue.sqlite3, or ~/.local/share/quorvel/catalogue.sqlite3)
  --page-size N   entries a listing page (default 20, at most 1000)
  --import FILE   add the entries of FILE to the database (a new one: FILE's
                  entries alone) and exit: one entry a line, six
                  tab-separated fields Category, Title, LicenceMode,
                  UpdateTime, DownloadLinks, EntryId; an entry whose EntryId is
                  present replaces it.  Separator characters and the reply
                  marker are removed from fields; a download address starting
                  with "/" is served as an address on this service.  A line
                  is skipped when it is longer than 1 MiB, is not UTF-8, has
                  another number of fields, an empty EntryId, or a field
                  longer than its limit: Title 4 KiB, DownloadLinks 16 KiB,
                  the others 1 KiB each.
  --max-skipped N with --import: lines that may be skipped (default 0).  The
                  catalogue is changed only when FILE was read to its end,
                  holds a valid entry and no more lines were skipped;
                  otherwise the import exits with status 1 and one line
                  naming the cause and the line, and changes nothing.
  -h, --help      show this help and exit

Limits, so that no client can lock others out or exhaust the service:
  --max-connections N              open connections in all (default 4096)
  --max-connections-per-address N  open connections from one client
                                   address (default 1024)
  --request-timeout SECONDS        a connection must send a whole request
                                   line and headers within this time of
                                   opening or of its previous reply, and is
                                   closed otherwise (default 10)
  --max-header-bytes N             request line and headers together, in
                                   bytes (default 16384; beyond: 431 or 414)
  --max-headers N                  request headers (default 100; beyond: 431)
Only GET and HEAD are served (405 otherwise); pipelined requests are answered
in order.  Framing that could be read two ways gets 400 and the connection
ends: HTTP/1.1 without Host, two Host headers, Content-Length headers that
differ, white space in a header name, control characters (NUL included) in
the request line.  libmicrohttpd 1.0 ends the connection on a NUL in the
request line by itself, without a reply.

Caches and proxies:
  --max-age SECONDS      how long caches may serve a reply without asking
                         again (Cache-Control: public, max-age=N; default 10;
                         0 sends no-cache: they must ask every time)
  --reply-cache-mib N    memory for replies kept built and compressed, in MiB
                         (default 64; 0 keeps none)
  --origin URL           http://HOST[:PORT] or https://HOST[:PORT] put in front
                         of download addresses that start with "/" (default:
                         http:// and the Host the client asked for); behind a
                         proxy that terminates TLS, its public https address
  --metrics ADDR:PORT    answer GET /metrics in the Prometheus text format on
                         a listener of its own (default: none)
Every listing and page reply carries an ETag (the catalogue's identity, the
request and the coding), Last-Modified where it comes from the catalogue,
Cache-Control and Vary; If-None-Match and If-Modified-Since get 304.  Bodies of
256 bytes or more go out gzip- or br-compressed when the client's
Accept-Encoding asks for it: quickly, under the weak form of the tag ("W/"),
the first time, and thoroughly, under the strong tag, from then on.

Once it accepts connections it prints "listening on http://ADDR:PORT/" on
standard output.  Each request is logged on standard error as one line:
method, path with query, status, body bytes and microseconds taken.
Lines are capped (the path at 1024 characters, then "...[cut:N]"), and
when standard error is not read fast enough lines are dropped rather than
waited for, and counted in a line of their own.
SIGINT or SIGTERM stops it within two seconds: no new connections are taken,
replies under way get most of that time to finish and the log the rest, and
it exits with status 0.

--db refuses anything that is not a regular file, a symbolic link to one, or a
path that does not exist yet (exit status 2).  An import builds the new
catalogue beside the old one and replaces it whole.  A running service notices
within a millisecond, at a request, loads the new catalogue in the background,
answering from the old one meanwhile, and serves the new one once it is loaded
(it logs "loaded PATH: N entries" then).  To push a catalogue to running
services, import into a new file on the same file system and rename it over
the live one: from that log line on, every reply comes from the new catalogue,
with new ETags.
)";
}

}  // namespace quorvel::service
