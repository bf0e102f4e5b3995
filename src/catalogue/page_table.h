#pragma once

#include <QString>

#include <array>
#include <vector>

#include "catalogue/components.h"
#include "catalogue/listing_service.h"

namespace quorvel::catalogue {

// A list that only keeps its rows in memory: the page a load would show,
// without any window.
class PageTable : public ListView {
 public:
  using Row = std::array<QString, kRecordFieldCount>;

  void PrepareView() override {}
  void AddColumn(int, const QString&, int) override {}
  void ApplyDisplaySettings() override {}
  void ClearRows() override { rows_.clear(); }
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  void AddRow(int index, const QString& text) override;
  void SetCell(int row, int column, const QString& text) override;
  void SetRowChosenHandler(RowChosenHandler) override {}

  std::vector<Row>& rows() { return rows_; }

 private:
  std::vector<Row> rows_;
};

}  // namespace quorvel::catalogue
