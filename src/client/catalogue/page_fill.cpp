#include "client/catalogue/page_fill.h"

#include <cstring>

#include "protocol/listing_reply_parser.h"

namespace quorvel::catalogue {
namespace {

// Refills `scratch` with `text`; reuses its buffer unless someone still
// shares it.
void Assign(QString& scratch, QStringView text) {
  scratch.resize(text.size());
  if (!text.isEmpty()) {
    std::memcpy(scratch.data(), text.data(), static_cast<std::size_t>(text.size()) * sizeof(QChar));
  }
}

}  // namespace

FillCount FillRows(QStringView text, LoadKind kind, ListView& list, QStringList& list3,
                   std::int64_t max_rows) {
  const LoadKindRules& rules = RulesFor(kind);
  list.ClearRows();
  list3.clear();
  FillCount count;
  QString scratch;
  scratch.reserve(256);
  protocol::ForEachRecord(View16(text), [&](const protocol::RecordFields& record) {
    ++count.records;
    if (count.listed >= max_rows) return;
    ++count.listed;
    Assign(scratch, record.field[kCategoryField]);
    list.AddRow(list.RowCount(), scratch);
    for (const int column : rules.cell_columns) {
      Assign(scratch, record.field[column]);
      list.SetCell(list.RowCount() - 1, column, scratch);
      if (column == rules.list3_after_column) {
        list3.append(ToQString(record.field[kDownloadLinksField]));
      }
    }
  });
  return count;
}

QString RowsLeftOutNotice(const FillCount& count) {
  if (count.listed >= count.records) return QString();
  return QStringLiteral("这一页有 %1 条记录，只列出了前 %2 条。")
      .arg(count.records)
      .arg(count.listed);
}

}  // namespace quorvel::catalogue
