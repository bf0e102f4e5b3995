// The manual page against the options the service takes: every option has
// its entry, under the synopsis --help gives it, and names the default the
// service has.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "service/service_option_table.h"

namespace quorvel::service {
namespace {

// A line of roff as it reads: macros that set fonts give their arguments,
// the alternating ones without spaces between, and escapes are resolved.
std::string Rendered(const std::string& line) {
  std::string text;
  if (line.starts_with(".")) {
    std::istringstream in(line);
    std::string macro;
    in >> macro;
    const bool alternating = macro == ".BI" || macro == ".BR" || macro == ".IB" || macro == ".IR" ||
                             macro == ".RB" || macro == ".RI";
    if (!alternating && macro != ".B" && macro != ".I") return "";
    std::string argument;
    while (in >> std::quoted(argument)) {
      if (!alternating && !text.empty()) text += ' ';
      text += argument;
    }
  } else {
    text = line;
  }
  for (const std::string escape : {"\\fI", "\\fB", "\\fR", "\\fP", "\\c", "\\%"}) {
    for (std::size_t at = text.find(escape); at != std::string::npos; at = text.find(escape, at)) {
      text.erase(at, escape.size());
    }
  }
  for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at)) {
    text.erase(at, 1);
  }
  return text;
}

struct ManualEntry {
  std::string tag;
  std::string body;
};

// The tagged paragraphs (.TP) of the page.
std::vector<ManualEntry> Entries(std::istream& page) {
  std::vector<ManualEntry> entries;
  bool in_entry = false;
  bool want_tag = false;
  for (std::string line; std::getline(page, line);) {
    if (line.starts_with(".TP")) {
      entries.emplace_back();
      in_entry = want_tag = true;
    } else if (line.starts_with(".PP") || line.starts_with(".SH") || line.starts_with(".TQ")) {
      in_entry = false;
    } else if (want_tag) {
      entries.back().tag = Rendered(line);
      want_tag = false;
    } else if (in_entry) {
      entries.back().body += Rendered(line) + " ";
    }
  }
  return entries;
}

// "default 8731", "default: none", but not "default 87310".
bool NamesDefault(const std::string& body, const std::string& shown) {
  for (const std::string lead : {"default ", "default: "}) {
    const std::size_t at = body.find(lead + shown);
    if (at == std::string::npos) continue;
    const std::size_t end = at + lead.size() + shown.size();
    if (end == body.size() || !std::isalnum(static_cast<unsigned char>(body[end]))) return true;
  }
  return false;
}

TEST(ServiceManualTest, NamesEveryOptionWithItsDefault) {
  std::ifstream page(SERVICE_MANUAL_PATH);
  ASSERT_TRUE(page) << SERVICE_MANUAL_PATH;
  const std::vector<ManualEntry> entries = Entries(page);
  for (const OptionRow& row : ServiceOptionRows()) {
    const std::string synopsis = OptionSynopsis(row);
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&](const ManualEntry& e) { return e.tag == synopsis; });
    if (entry == entries.end()) {
      ADD_FAILURE() << "no entry for " << synopsis;
      continue;
    }
    const std::string shown = OptionDefault(row);
    if (!shown.empty()) {
      EXPECT_TRUE(NamesDefault(entry->body, shown))
          << synopsis << " should name its default " << shown << ": " << entry->body;
    }
  }
}

}  // namespace
}  // namespace quorvel::service
