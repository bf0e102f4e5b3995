#include "client/catalogue/page_fill.h"

#include "client/catalogue/text16.h"
#include "protocol/listing_reply_parser.h"

namespace quorvel::catalogue {

FillCount FillRows(std::u16string_view text, LoadKind kind, ListView& list,
                   std::vector<std::u16string>& list3, std::int64_t max_rows) {
  const LoadKindRules& rules = RulesFor(kind);
  list.ClearRows();
  list3.clear();
  FillCount count;
  protocol::ForEachRecord(text, [&](const protocol::RecordFields& record) {
    ++count.records;
    if (count.listed >= max_rows) return;
    ++count.listed;
    list.AddRow(list.RowCount(), record.field[kCategoryField]);
    for (const int column : rules.cell_columns) {
      list.SetCell(list.RowCount() - 1, column, record.field[column]);
      if (column == rules.list3_after_column) {
        list3.emplace_back(record.field[kDownloadLinksField]);
      }
    }
  });
  return count;
}

std::u16string RowsLeftOutNotice(const FillCount& count) {
  if (count.listed >= count.records) return {};
  return u"这一页有 " + Decimal(count.records) + u" 条记录，只列出了前 " + Decimal(count.listed) +
         u" 条。";
}

}  // namespace quorvel::catalogue
