#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "service/http/caching_options.h"
#include "service/http/http_limits.h"

namespace quorvel::service {

// The service's settings, each at its default until the command line says
// otherwise.  The defaults are set here and in HttpLimits and CachingOptions
// alone: the usage text shows them from a default ServiceOptions
// (service_option_table.h).
struct ServiceOptions {
  int port = 8731;  // 0: any free port
  std::string bind = "127.0.0.1";
  std::string db_path;  // empty: DefaultDatabasePath()
  int page_size = 20;
  std::optional<std::string> import_file;
  // Lines an import may skip before it gives up and changes nothing.
  std::int64_t max_skipped = 0;
  std::vector<std::string> remove_ids;  // --remove: the EntryIds to take out
  std::optional<std::string> export_file;
  HttpLimits limits;
  CachingOptions caching;
  // Where the metrics listener listens; none: no metrics listener.
  std::optional<std::string> metrics_address;
  int metrics_port = 0;
  bool help = false;
  // What the command line asks for that is allowed but likely a mistake, one
  // sentence each, for standard error.
  std::vector<std::string> warnings;
};

// Why the command line cannot be used.
struct OptionsError {
  std::string message;
};

// Reads the arguments after the program name, as ServiceOptionRows() says.
// Each option takes its value either as the next argument or after "="
// (--port=8080); one that takes more values (--remove) takes the arguments
// after that too, up to the next that starts with "-".  --import, --remove
// and --export go one at a time.
std::variant<ServiceOptions, OptionsError> ParseServiceOptions(
    std::span<const char* const> arguments);

// $XDG_DATA_HOME/quorvel/catalogue.sqlite3 when XDG_DATA_HOME is an absolute
// path, else $HOME/.local/share/quorvel/catalogue.sqlite3; empty when neither
// is usable.  Either argument may be null.
std::string DefaultDatabasePath(const char* xdg_data_home, const char* home);

// What --help shows: the paths served, then every option of
// ServiceOptionRows() with its default, group by group.
std::string_view UsageText();

}  // namespace quorvel::service
