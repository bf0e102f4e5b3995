#include "doubles/client/catalogue/fake_list_view.h"

#include <algorithm>

namespace quorvel::catalogue::testing {
namespace {

constexpr int kMinimumColumns = 6;

}  // namespace

void FakeListView::PrepareView() { Log("PrepareView"); }

void FakeListView::AddColumn(int position, const QString& caption, int width) {
  Log("AddColumn(%1,%2,%3)", position, caption, width);
  const auto at =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(position, 0)), columns_.size());
  columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at), {position, caption, width});
}

void FakeListView::ApplyDisplaySettings() {
  Log("ApplyDisplaySettings");
  display_settings_applied_ = true;
}

void FakeListView::ClearRows() {
  Log("ClearRows");
  rows_.clear();
}

int FakeListView::RowCount() const {
  const int count = static_cast<int>(rows_.size());
  Log("RowCount=%1", count);
  return count;
}

void FakeListView::AddRow(int index, const QString& text) {
  Log("AddRow(%1,%2)", index, text);
  if (index != static_cast<int>(rows_.size())) {
    ++rejected_calls_;
    return;
  }
  QStringList cells;
  const int width = std::max<int>(kMinimumColumns, static_cast<int>(columns_.size()));
  cells.reserve(width);
  for (int i = 0; i < width; ++i) cells.append(QString());
  cells[0] = text;
  rows_.push_back(std::move(cells));
}

void FakeListView::SetCell(int row, int column, const QString& text) {
  Log("SetCell(%1,%2,%3)", row, column, text);
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 1 ||
      column >= rows_[static_cast<std::size_t>(row)].size()) {
    ++rejected_calls_;
    return;
  }
  rows_[static_cast<std::size_t>(row)][column] = text;
}

void FakeListView::SetRowChosenHandler(RowChosenHandler handler) { handler_ = std::move(handler); }

void FakeListView::ChooseRow(int row) {
  if (handler_) handler_(row);
}

}  // namespace quorvel::catalogue::testing
