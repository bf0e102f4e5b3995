#include "service/store/tsv_import.h"

#include <cerrno>
#include <cstring>
#include <new>

#include "protocol/percent_decoding.h"
#include "service/store/field_cleaning.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kChunkBytes = 64 * 1024;

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

// Takes one whole line, without its "\n", into `result`.
void TakeLine(std::int64_t number, std::string_view text, TsvReadResult& result) {
  if (number == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text.empty()) return;

  if (!protocol::IsValidUtf8(text)) {
    result.rejected.push_back({number, "not valid UTF-8"});
    return;
  }
  const std::vector<std::string_view> fields = SplitTabs(text);
  if (fields.size() != 6) {
    result.rejected.push_back(
        {number, "has " + std::to_string(fields.size()) + " tab-separated fields, not 6"});
    return;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].size() > kImportFieldLimits[i].bytes) {
      result.rejected.push_back({number, "has a " + std::string(kImportFieldLimits[i].name) +
                                             " of " + std::to_string(fields[i].size()) +
                                             " bytes, more than " +
                                             std::to_string(kImportFieldLimits[i].bytes)});
      return;
    }
  }
  CatalogueEntry entry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                       std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
  const int cleaned = CleanEntry(entry);
  if (entry.entry_id.empty()) {
    result.rejected.push_back({number, "has an empty EntryId"});
    return;
  }
  result.cleaned_fields += cleaned;
  result.entries.push_back(std::move(entry));
}

}  // namespace

TsvReadResult ReadTsv(const ReadSome& read, std::int64_t max_skipped) {
  TsvReadResult result;
  std::int64_t number = 1;
  try {
    std::string line;
    bool too_long = false;  // the line is longer than kMaxImportLineBytes: skipped, not held
    const auto within_limit = [&] {
      return static_cast<std::int64_t>(result.rejected.size()) <= max_skipped;
    };
    const auto end_line = [&] {
      if (!too_long) TakeLine(number, line, result);
      result.lines = number++;
      line.clear();
      too_long = false;
      return within_limit();
    };
    std::string buffer(kChunkBytes, '\0');
    while (true) {
      const long got = read(buffer.data(), buffer.size());
      if (got < 0) {
        result.failure =
            RejectedLine{number, std::string("cannot be read on: ") + std::strerror(errno)};
        return result;
      }
      if (got == 0) break;
      std::string_view chunk(buffer.data(), static_cast<std::size_t>(got));
      while (!chunk.empty()) {
        const std::size_t end = chunk.find('\n');
        const std::string_view piece = chunk.substr(0, end);
        if (!too_long && line.size() + piece.size() > kMaxImportLineBytes + 1) {
          // Counted at once, so that a line without end ends the import too.
          too_long = true;
          line.clear();
          result.rejected.push_back(
              {number, "is longer than " + std::to_string(kMaxImportLineBytes) + " bytes"});
          if (!within_limit()) {
            result.lines = number;
            return result;
          }
        } else if (!too_long) {
          line.append(piece);
        }
        if (end == std::string_view::npos) break;
        chunk.remove_prefix(end + 1);
        if (!end_line()) return result;
      }
    }
    if (!line.empty() || too_long) end_line();
  } catch (const std::bad_alloc&) {
    result.failure = RejectedLine{number, "ran out of memory"};
  }
  return result;
}

TsvReadResult ReadTsv(std::istream& in, std::int64_t max_skipped) {
  return ReadTsv(
      [&in](char* buffer, std::size_t size) -> long {
        in.read(buffer, static_cast<std::streamsize>(size));
        if (in.bad()) {
          errno = EIO;
          return -1;
        }
        return static_cast<long>(in.gcount());
      },
      max_skipped);
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
