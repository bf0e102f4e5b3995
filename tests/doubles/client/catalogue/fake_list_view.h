#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/catalogue/components.h"
#include "client/catalogue/text16.h"

namespace quorvel::catalogue::testing {

// Lines of text, as the doubles write them down.
using Lines = std::vector<std::u16string>;

// A list view in memory that also writes down every call, so a test can see
// the order of the operations and where each text went.
class FakeListView : public ListView {
 public:
  struct Column {
    int position;
    std::u16string caption;
    int width;
  };

  void PrepareView() override;
  void AddColumn(int position, std::u16string_view caption, int width) override;
  void ApplyDisplaySettings() override;
  void ClearRows() override;
  int RowCount() const override;
  void AddRow(int index, std::u16string_view text) override;
  void SetCell(int row, int column, std::u16string_view text) override;
  void SetRowChosenHandler(RowChosenHandler handler) override;

  // The user chooses `row`: raises RowChosen when a handler is set.
  void ChooseRow(int row);

  // Every call as text, e.g. "RowCount=0", "AddRow(0,a)", "SetCell(0,1,b)".
  // Large fills can switch it off.
  const Lines& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  void SetLogging(bool on) { logging_ = on; }
  // Writes the calls into `log` instead, which must outlive this list: a
  // test sees them in order among those of other components.
  void WriteLogTo(Lines* log) { shared_log_ = log; }

  const std::vector<Column>& columns() const { return columns_; }
  bool display_settings_applied() const { return display_settings_applied_; }
  // Cells by column, six at least, empty where never set.
  const std::vector<Lines>& rows() const { return rows_; }
  // Calls whose row index was out of range or not at the end; they change nothing.
  int rejected_calls() const { return rejected_calls_; }

 private:
  // One entry, made only while logging: the parts joined.
  template <typename... Parts>
  void Log(const Parts&... parts) const {
    if (!logging_) return;
    std::u16string entry;
    (Append(entry, parts), ...);
    (shared_log_ != nullptr ? *shared_log_ : log_).push_back(std::move(entry));
  }
  static void Append(std::u16string& entry, std::u16string_view text) { entry.append(text); }
  static void Append(std::u16string& entry, int number) { entry.append(Decimal(number)); }

  std::vector<Column> columns_;
  std::vector<Lines> rows_;
  RowChosenHandler handler_;
  bool display_settings_applied_ = false;
  bool logging_ = true;
  int rejected_calls_ = 0;
  mutable Lines log_;
  Lines* shared_log_ = nullptr;
};

}  // namespace quorvel::catalogue::testing
