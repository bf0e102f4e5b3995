#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "client/catalogue/components.h"

namespace quorvel::catalogue::testing {

// A list view in memory that also writes down every call, so a test can see
// the order of the operations and where each text went.
class FakeListView : public ListView {
 public:
  struct Column {
    int position;
    QString caption;
    int width;
  };

  void PrepareView() override;
  void AddColumn(int position, const QString& caption, int width) override;
  void ApplyDisplaySettings() override;
  void ClearRows() override;
  int RowCount() const override;
  void AddRow(int index, const QString& text) override;
  void SetCell(int row, int column, const QString& text) override;
  void SetRowChosenHandler(RowChosenHandler handler) override;

  // The user chooses `row`: raises RowChosen when a handler is set.
  void ChooseRow(int row);

  // Every call as text, e.g. "RowCount=0", "AddRow(0,a)", "SetCell(0,1,b)".
  // Large fills can switch it off.
  const QStringList& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  void SetLogging(bool on) { logging_ = on; }
  // Writes the calls into `log` instead, which must outlive this list: a
  // test sees them in order among those of other components.
  void WriteLogTo(QStringList* log) { shared_log_ = log; }

  const std::vector<Column>& columns() const { return columns_; }
  bool display_settings_applied() const { return display_settings_applied_; }
  // Cells by column, six at least, empty where never set.
  const std::vector<QStringList>& rows() const { return rows_; }
  // Calls whose row index was out of range or not at the end; they change nothing.
  int rejected_calls() const { return rejected_calls_; }

 private:
  // One entry, made only while logging: `format` with %1, %2 ... filled in turn.
  template <typename... Args>
  void Log(const char* format, const Args&... args) const {
    if (!logging_) return;
    QString entry = QString::fromLatin1(format);
    ((entry = entry.arg(args)), ...);
    (shared_log_ != nullptr ? *shared_log_ : log_).append(std::move(entry));
  }

  std::vector<Column> columns_;
  std::vector<QStringList> rows_;
  RowChosenHandler handler_;
  bool display_settings_applied_ = false;
  bool logging_ = true;
  int rejected_calls_ = 0;
  mutable QStringList log_;
  QStringList* shared_log_ = nullptr;
};

}  // namespace quorvel::catalogue::testing
