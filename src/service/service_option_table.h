#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvel::service {

struct ServiceOptions;

// What an option takes after its name.
enum class OptionValue {
  kNone,           // a switch
  kNumber,         // a whole number from `least` to `most`
  kText,           // any text but the empty one
  kListenAddress,  // ADDR:PORT, the address in brackets when it is IPv6
  kOrigin,         // http://HOST[:PORT] or https://HOST[:PORT]
};

// Where the usage text lists an option.
enum class OptionGroup { kGeneral, kLimits, kCaching };

// One option of the service's command line.  The parser reads it, the usage
// text describes it and the manual page is held to it, all from this row;
// its default is read from a default ServiceOptions, where it is set.
struct OptionRow {
  std::string_view name = {};        // "--port"
  std::string_view short_name = {};  // "-h"; empty: none
  std::string_view value_name = {};  // "N", as the usage text names it; empty for a switch
  OptionValue value = OptionValue::kNone;
  OptionGroup group = OptionGroup::kGeneral;
  // What the usage text says of it; "{default}" and "{most}" stand for the
  // default and the largest number taken.
  std::string_view help = {};
  // A number from `least` to `most`, called a `noun` when it is refused.
  int least = 0;
  int most = 0;
  std::string_view noun = "number";
  // What a value that cannot be used is told it needs, but for numbers.
  std::string_view needs = "a non-empty value";
  // Takes the arguments after its value as values too, up to the next one
  // that starts with "-".
  bool more = false;
  // The default as the usage text shows it, from the defaults; null: none.
  std::string (*shown_default)(const ServiceOptions& defaults) = nullptr;
  // Takes a value that was found usable: `text` as given, and `number` read
  // from it for a number.
  void (*take)(ServiceOptions& options, std::string_view text, int number) = nullptr;
};

// Every option, in the order the usage text lists them.
std::span<const OptionRow> ServiceOptionRows();

// Gives `options` the value `text` of `row`, or says why it cannot be used
// ("--port needs a number from 0 to 65535").
std::optional<std::string> TakeOptionValue(const OptionRow& row, std::string_view text,
                                           ServiceOptions& options);

// The option as the usage text and the manual page head its entry:
// "--port N", "-h, --help".
std::string OptionSynopsis(const OptionRow& row);

// The row's help with its default and limit put in.
std::string OptionHelp(const OptionRow& row);

// The row's default as shown; empty when it has none.
std::string OptionDefault(const OptionRow& row);

}  // namespace quorvel::service
