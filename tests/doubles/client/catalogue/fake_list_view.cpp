#include "doubles/client/catalogue/fake_list_view.h"

#include <algorithm>

namespace quorvel::catalogue::testing {
namespace {

constexpr int kMinimumColumns = 6;

}  // namespace

void FakeListView::PrepareView() { Log(u"PrepareView"); }

void FakeListView::AddColumn(int position, std::u16string_view caption, int width) {
  Log(u"AddColumn(", position, u",", caption, u",", width, u")");
  const auto at =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(position, 0)), columns_.size());
  columns_.insert(columns_.begin() + static_cast<std::ptrdiff_t>(at),
                  {position, std::u16string(caption), width});
}

void FakeListView::ApplyDisplaySettings() {
  Log(u"ApplyDisplaySettings");
  display_settings_applied_ = true;
}

void FakeListView::ClearRows() {
  Log(u"ClearRows");
  rows_.clear();
}

int FakeListView::RowCount() const {
  const int count = static_cast<int>(rows_.size());
  Log(u"RowCount=", count);
  return count;
}

void FakeListView::AddRow(int index, std::u16string_view text) {
  Log(u"AddRow(", index, u",", text, u")");
  if (index != static_cast<int>(rows_.size())) {
    ++rejected_calls_;
    return;
  }
  const int width = std::max<int>(kMinimumColumns, static_cast<int>(columns_.size()));
  Lines cells(static_cast<std::size_t>(width));
  cells[0] = text;
  rows_.push_back(std::move(cells));
}

void FakeListView::SetCell(int row, int column, std::u16string_view text) {
  Log(u"SetCell(", row, u",", column, u",", text, u")");
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 1 ||
      static_cast<std::size_t>(column) >= rows_[static_cast<std::size_t>(row)].size()) {
    ++rejected_calls_;
    return;
  }
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

void FakeListView::SetRowChosenHandler(RowChosenHandler handler) { handler_ = std::move(handler); }

void FakeListView::ChooseRow(int row) {
  if (handler_) handler_(row);
}

}  // namespace quorvel::catalogue::testing
