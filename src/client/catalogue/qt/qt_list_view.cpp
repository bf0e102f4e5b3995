#include "client/catalogue/qt/qt_list_view.h"

#include <QAccessible>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <utility>

#include "client/catalogue/qt/list_header.h"
#include "client/catalogue/qt/list_view_accessible.h"

namespace quorvel::catalogue {
namespace {

// Thin grid lines under and between the cells.
class GridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    const QPen old_pen = painter->pen();
    painter->setPen(QColor(0xE0, 0xE0, 0xE0));
    const QRect r = option.rect;
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->setPen(old_pen);
  }
};

}  // namespace

// Marks the span of one input event, so that current-row changes made while
// it is handled count as the user's choice.
class QtListView::UserInput {
 public:
  explicit UserInput(QtListView* view) : view_(view) { ++view_->user_input_depth_; }
  ~UserInput() { --view_->user_input_depth_; }
  UserInput(const UserInput&) = delete;
  UserInput& operator=(const UserInput&) = delete;

 private:
  QtListView* view_;
};

QtListView::QtListView(QWidget* parent) : QTreeView(parent), table_(new ListTableModel(this)) {
  static const bool accessible = [] {
    QAccessible::installFactory(&ListViewAccessibleFactory);
    return true;
  }();
  static_cast<void>(accessible);
  setHeader(new ListHeader(this));
  setModel(table_);
  setUniformRowHeights(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideRight);
  // The columns are drawn to fill the list's whole width; a frame of its own
  // would take two pixels from them and bring up a horizontal scroll bar
  // that nothing needs.  The scroll bar comes as soon as something does: a
  // column the user widens, or a vertical scroll bar taking its room.
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setStretchLastSection(false);
  header()->setMinimumSectionSize(0);
  // Every column gets its width from AddColumn.  Left to follow the style,
  // the default section size is taken again at each style change (the skin's
  // style sheet is one), and Qt 6.8 then hands it to every section of width
  // 0: the two hidden store columns would take 100 px each and bring up the
  // horizontal scroll bar.  A default of our own is never taken again.
  header()->setDefaultSectionSize(header()->defaultSectionSize());
  header()->setSectionsMovable(false);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { OnCurrentRowChanged(current); });
  connect(this, &QAbstractItemView::clicked, this, &QtListView::OnClicked);
}

void QtListView::PrepareView() {
  ClearRows();
  clearSelection();
}

void QtListView::AddColumn(int position, std::u16string_view caption, int width) {
  table_->InsertColumn(position, QStringView(caption).toString());
  const int column = std::clamp(position, 0, table_->columnCount() - 1);
  header()->resizeSection(column, std::max(0, width));
}

void QtListView::ApplyDisplaySettings() {
  setHeaderHidden(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  if (dynamic_cast<GridDelegate*>(itemDelegate()) == nullptr) {
    setItemDelegate(new GridDelegate(this));
  }
  // The white ground of the settings is left to the skin, which paints it
  // with text to match.  Forced here it would sit under a dark desktop's
  // light text; without the skin the list follows the desktop throughout.
  setAutoFillBackground(true);
}

void QtListView::ClearRows() { table_->ClearRows(); }

int QtListView::RowCount() const { return table_->StoredRowCount(); }

void QtListView::AddRow(int index, std::u16string_view text) {
  table_->InsertRow(index, QStringView(text));
}

void QtListView::SetCell(int row, int column, std::u16string_view text) {
  table_->SetCellText(row, column, QStringView(text));
}

void QtListView::SetRowChosenHandler(RowChosenHandler handler) { handler_ = std::move(handler); }

void QtListView::mousePressEvent(QMouseEvent* event) {
  UserInput input(this);
  chosen_during_press_ = false;
  QTreeView::mousePressEvent(event);
}

void QtListView::mouseMoveEvent(QMouseEvent* event) {
  UserInput input(this);
  QTreeView::mouseMoveEvent(event);
}

void QtListView::mouseReleaseEvent(QMouseEvent* event) {
  UserInput input(this);
  QTreeView::mouseReleaseEvent(event);
}

void QtListView::mouseDoubleClickEvent(QMouseEvent* event) {
  UserInput input(this);
  QTreeView::mouseDoubleClickEvent(event);
}

void QtListView::keyPressEvent(QKeyEvent* event) {
  UserInput input(this);
  QTreeView::keyPressEvent(event);
}

// QTreeView's own versions of the next two tell screen readers of cells by
// their place in a tree of cells; the list is read out by rows instead (see
// ListViewAccessible), so these tell of rows.
void QtListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QAbstractItemView::currentChanged(current, previous);
  // Every column shows the focus, so both rows are drawn again whole.
  for (const QModelIndex& index : {previous, current}) {
    if (!index.isValid()) continue;
    const QRect cell = visualRect(index);
    viewport()->update(QRect(0, cell.top(), viewport()->width(), cell.height()));
  }
  if (QAccessible::isActive() && current.isValid() && hasFocus()) {
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(current.row());
    QAccessible::updateAccessibility(&event);
  }
}

void QtListView::selectionChanged(const QItemSelection& selected,
                                  const QItemSelection& deselected) {
  QAbstractItemView::selectionChanged(selected, deselected);
  if (!QAccessible::isActive()) return;
  for (const QModelIndex& index : selected.indexes()) {
    if (index.column() != 0) continue;
    QAccessibleEvent event(this, QAccessible::SelectionAdd);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
  }
  for (const QModelIndex& index : deselected.indexes()) {
    if (index.column() != 0) continue;
    QAccessibleEvent event(this, QAccessible::SelectionRemove);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
  }
}

void QtListView::OnCurrentRowChanged(const QModelIndex& current) {
  if (user_input_depth_ == 0 || !current.isValid()) return;
  chosen_during_press_ = true;
  Raise(current.row());
}

void QtListView::OnClicked(const QModelIndex& index) {
  // A press that moved to a new row has raised the event already.
  if (chosen_during_press_ || !index.isValid()) return;
  Raise(index.row());
}

void QtListView::Raise(int row) {
  if (handler_) handler_(row);
}

}  // namespace quorvel::catalogue
