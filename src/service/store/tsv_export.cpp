#include "service/store/tsv_export.h"

#include "protocol/percent_decoding.h"
#include "service/store/catalogue_reader.h"
#include "service/store/tsv_import.h"

namespace quorvel::service {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kChunkBytes = 64 * 1024;
// How long an export waits for a writer that holds the catalogue.
constexpr int kPatienceMs = 5000;

}  // namespace

std::string TsvLineProblem(const CatalogueEntry& entry) {
  const std::string* fields[] = {&entry.category,    &entry.title,          &entry.licence_mode,
                                 &entry.update_time, &entry.download_links, &entry.entry_id};
  if (entry.entry_id.empty()) return "has an empty EntryId";
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    const std::string& field = *fields[i];
    const std::string name(kImportFieldLimits[i].name);
    if (!protocol::IsValidUtf8(field)) return "has a " + name + " that is not UTF-8";
    if (field.find('\t') != std::string::npos) return "has a tab in its " + name;
    if (field.find('\n') != std::string::npos) return "has a line end in its " + name;
    if (field.size() > kImportFieldLimits[i].bytes) {
      return "has a " + name + " of " + std::to_string(field.size()) + " bytes, more than " +
             std::to_string(kImportFieldLimits[i].bytes) + " an import takes";
    }
  }
  return std::string();
}

std::string TsvExportLine(const CatalogueEntry& entry, bool first_line) {
  std::string line = FormatTsvLine(entry);
  if (first_line && entry.category.starts_with(kByteOrderMark)) {
    line.insert(0, kByteOrderMark);
  }
  if (entry.entry_id.ends_with('\r')) line.insert(line.size() - 1, "\r");
  return line;
}

TsvExportResult ExportTsv(const std::string& path,
                          const std::function<bool(std::string_view)>& write) {
  CatalogueReader reader(path, kPatienceMs);
  CatalogueReader::Transaction transaction(reader);
  reader.CheckSchema();
  TsvExportResult result;
  // First every entry is checked, so that nothing is written of an export
  // that cannot be whole; both passes read the same committed state.
  reader.ForEachEntry([&](const CatalogueEntry& entry) {
    const std::string problem = TsvLineProblem(entry);
    if (!problem.empty()) result.problem = "the entry '" + entry.entry_id + "' " + problem;
    return problem.empty();
  });
  if (!result.problem.empty()) return result;
  std::string chunk;
  reader.ForEachEntry([&](const CatalogueEntry& entry) {
    chunk += TsvExportLine(entry, result.entries == 0);
    ++result.entries;
    if (chunk.size() >= kChunkBytes) {
      result.write_failed = !write(chunk);
      chunk.clear();
    }
    return !result.write_failed;
  });
  if (!result.write_failed && !chunk.empty()) result.write_failed = !write(chunk);
  return result;
}

}  // namespace quorvel::service
