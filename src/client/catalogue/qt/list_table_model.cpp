#include "client/catalogue/qt/list_table_model.h"

#include <QMetaObject>

#include <algorithm>
#include <limits>

namespace quorvel::catalogue {

ListTableModel::ListTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ListTableModel::InsertColumn(int position, const QString& caption) {
  const int count = static_cast<int>(captions_.size());
  position = std::clamp(position, 0, count);
  const int old_stride = Stride();
  // A table without columns still keeps each row's text in its one cell.
  const bool first_column = captions_.empty();

  beginInsertColumns(QModelIndex(), position, position);
  captions_.insert(captions_.begin() + position, caption);
  stride_ = static_cast<int>(captions_.size());
  if (!first_column) {
    const int new_stride = stride_;
    std::vector<Span> cells(static_cast<std::size_t>(stored_rows_) * new_stride);
    for (int r = 0; r < stored_rows_; ++r) {
      for (int c = 0, target = 0; c < old_stride; ++c, ++target) {
        if (target == position) ++target;
        cells[static_cast<std::size_t>(r) * new_stride + target] =
            cells_[static_cast<std::size_t>(r) * old_stride + c];
      }
    }
    cells_ = std::move(cells);
  }
  endInsertColumns();
}

void ListTableModel::ClearRows() {
  if (committed_rows_ > 0) beginResetModel();
  const bool reset = committed_rows_ > 0;
  cells_.clear();
  characters_.clear();
  stored_rows_ = 0;
  committed_rows_ = 0;
  dirty_first_ = dirty_last_ = -1;
  if (reset) endResetModel();
}

bool ListTableModel::InsertRow(int index, QStringView text) {
  if (index < 0 || index > stored_rows_ || stored_rows_ == std::numeric_limits<int>::max()) {
    return false;
  }
  const std::size_t stride = static_cast<std::size_t>(Stride());
  if (index == stored_rows_) {
    cells_.resize(cells_.size() + stride);
    cells_[static_cast<std::size_t>(index) * stride] = Store(text);
    ++stored_rows_;
    ScheduleCommit();
    return true;
  }
  // Inside the table: the views must hear of it now, in its place.
  CommitRows();
  beginInsertRows(QModelIndex(), index, index);
  cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(index * stride), stride, Span{});
  cells_[static_cast<std::size_t>(index) * stride] = Store(text);
  ++stored_rows_;
  ++committed_rows_;
  endInsertRows();
  return true;
}

bool ListTableModel::SetCellText(int row, int column, QStringView text) {
  if (row < 0 || row >= stored_rows_ || column < 0 || column >= Stride()) return false;
  cells_[static_cast<std::size_t>(row) * Stride() + column] = Store(text);
  if (row < committed_rows_) {
    dirty_first_ = dirty_first_ < 0 ? row : std::min(dirty_first_, row);
    dirty_last_ = std::max(dirty_last_, row);
    ScheduleCommit();
  }
  return true;
}

QString ListTableModel::CellText(int row, int column) const {
  if (row < 0 || row >= stored_rows_ || column < 0 || column >= Stride()) return QString();
  return Text(cells_[static_cast<std::size_t>(row) * Stride() + column]);
}

QString ListTableModel::ShownText(int row, int column) const {
  if (row < 0 || row >= stored_rows_ || column < 0 || column >= Stride()) return QString();
  Span span = cells_[static_cast<std::size_t>(row) * Stride() + column];
  if (span.length <= kShownCharacters) return Text(span);
  span.length = static_cast<std::uint32_t>(kShownCharacters - 1);
  QString shown = Text(span);
  // Never leave half of a surrogate pair before the ellipsis.
  if (shown.back().isHighSurrogate()) shown.chop(1);
  shown.append(QChar(0x2026));
  return shown;
}

ListTableModel::Span ListTableModel::Store(QStringView text) {
  const std::size_t length = static_cast<std::size_t>(text.size());
  if (length == 0) return Span{};
  // Offsets are 32-bit: a buffer that would outgrow them keeps the cell empty.
  if (characters_.size() + length > std::numeric_limits<std::uint32_t>::max()) return Span{};
  const Span span{static_cast<std::uint32_t>(characters_.size()),
                  static_cast<std::uint32_t>(length)};
  const char16_t* const begin = text.utf16();
  characters_.insert(characters_.end(), begin, begin + length);
  return span;
}

QString ListTableModel::Text(Span span) const {
  if (span.length == 0) return QString();
  return QString(reinterpret_cast<const QChar*>(characters_.data() + span.offset),
                 static_cast<qsizetype>(span.length));
}

void ListTableModel::ScheduleCommit() {
  if (commit_scheduled_) return;
  commit_scheduled_ = true;
  QMetaObject::invokeMethod(this, &ListTableModel::CommitRows, Qt::QueuedConnection);
}

void ListTableModel::CommitRows() {
  commit_scheduled_ = false;
  if (dirty_first_ >= 0) {
    const int first = dirty_first_;
    const int last = std::min(dirty_last_, committed_rows_ - 1);
    dirty_first_ = dirty_last_ = -1;
    if (first <= last && !captions_.empty()) {
      Q_EMIT dataChanged(index(first, 0), index(last, static_cast<int>(captions_.size()) - 1),
                         {Qt::DisplayRole});
    }
  }
  if (stored_rows_ > committed_rows_) {
    beginInsertRows(QModelIndex(), committed_rows_, stored_rows_ - 1);
    committed_rows_ = stored_rows_;
    endInsertRows();
  }
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : committed_rows_;
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
    return QVariant();
  }
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
    return ShownText(index.row(), index.column());
  }
  return QVariant();
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && section >= 0 &&
      section < static_cast<int>(captions_.size())) {
    if (role == Qt::DisplayRole) return captions_[static_cast<std::size_t>(section)];
    // Said here rather than left to whichever header shows the model, so the
    // captions sit alike before the first rows and after every load.
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignCenter);
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ListTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace quorvel::catalogue
