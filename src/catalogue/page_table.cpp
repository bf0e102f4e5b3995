#include "catalogue/page_table.h"

namespace quorvel::catalogue {

void PageTable::AddRow(int index, const QString& text) {
  if (index < 0 || index > RowCount()) return;
  Row row;
  row[0] = text;
  rows_.insert(rows_.begin() + index, std::move(row));
}

void PageTable::SetCell(int row, int column, const QString& text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kRecordFieldCount) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

}  // namespace quorvel::catalogue
