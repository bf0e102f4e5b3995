#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace quorvel::catalogue {

// The rows of the catalogue list as one table model.  All cell texts live in
// one character buffer, so a page of 100,000 rows costs a handful of
// allocations; texts are shown as plain text only.
//
// Rows added through AppendRow are stored at once (StoredRowCount counts
// them) but views hear of them in one notification when the event loop next
// turns, or at CommitRows: a view is never told of rows one at a time while a
// page fills.
class ListTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // A cell shows at most this many characters, the last of them "…"; the
  // whole text stays in the model (CellText).  That is wider than any screen
  // at any font, so no ordinary cell shows differently, while a title of
  // millions of characters is not laid out whole at every paint.
  static constexpr qsizetype kShownCharacters = 4096;

  explicit ListTableModel(QObject* parent = nullptr);

  void InsertColumn(int position, const QString& caption);

  void ClearRows();
  int StoredRowCount() const { return stored_rows_; }
  // Adds a row at `index` (0 to StoredRowCount) with `text` in column 0.
  // Returns false, changing nothing, for any other index.
  bool InsertRow(int index, QStringView text);
  // Returns false, changing nothing, for a cell outside the table.
  bool SetCellText(int row, int column, QStringView text);
  QString CellText(int row, int column) const;
  // What the cell shows: its text, cut to kShownCharacters.
  QString ShownText(int row, int column) const;

  // Tells the views about every change since the last commit.
  void CommitRows();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Span {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };

  int Stride() const { return stride_; }
  Span Store(QStringView text);
  QString Text(Span span) const;
  void ScheduleCommit();

  std::vector<QString> captions_;
  int stride_ = 1;  // cells per row: the column count, at least one
  std::vector<char16_t> characters_;
  std::vector<Span> cells_;  // row by row, Stride() cells each
  int stored_rows_ = 0;
  int committed_rows_ = 0;
  // Committed rows whose cells changed since the last commit.
  int dirty_first_ = -1;
  int dirty_last_ = -1;
  bool commit_scheduled_ = false;
};

}  // namespace quorvel::catalogue
