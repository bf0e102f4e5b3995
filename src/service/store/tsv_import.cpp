#include "service/store/tsv_import.h"

#include <string_view>

#include "protocol/percent_decoding.h"
#include "service/store/field_cleaning.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) break;
    line.remove_prefix(tab + 1);
  }
  return fields;
}

}  // namespace

TsvReadResult ReadTsv(std::istream& in) {
  TsvReadResult result;
  std::string line;
  for (std::int64_t number = 1; std::getline(in, line); ++number) {
    std::string_view text = line;
    if (number == 1 && text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      text.remove_prefix(kByteOrderMark.size());
    }
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.empty()) continue;

    if (!protocol::IsValidUtf8(text)) {
      result.rejected.push_back({number, "not valid UTF-8"});
      continue;
    }
    const std::vector<std::string_view> fields = SplitTabs(text);
    if (fields.size() != 6) {
      result.rejected.push_back(
          {number, "has " + std::to_string(fields.size()) + " tab-separated fields, not 6"});
      continue;
    }
    CatalogueEntry entry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                         std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
    const int cleaned = CleanEntry(entry);
    if (entry.entry_id.empty()) {
      result.rejected.push_back({number, "has an empty EntryId"});
      continue;
    }
    result.cleaned_fields += cleaned;
    result.entries.push_back(std::move(entry));
  }
  return result;
}

std::string FormatTsvLine(const CatalogueEntry& entry) {
  std::string line;
  for (const std::string* field : {&entry.category, &entry.title, &entry.licence_mode,
                                   &entry.update_time, &entry.download_links}) {
    line.append(*field).push_back('\t');
  }
  line.append(entry.entry_id).push_back('\n');
  return line;
}

}  // namespace quorvel::service
