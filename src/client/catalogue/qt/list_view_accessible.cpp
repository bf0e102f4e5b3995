#include "client/catalogue/qt/list_view_accessible.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QStringList>

#include "client/catalogue/qt/qt_list_view.h"

namespace quorvel::catalogue {

ListViewAccessible::ListViewAccessible(QtListView* view)
    : QAccessibleWidget(view, QAccessible::List) {}

ListViewAccessible::~ListViewAccessible() {
  // The rows go with the list.  Once the application is gone Qt's registry
  // of interfaces is being taken down and deletes them itself.
  if (QCoreApplication::instance() == nullptr) return;
  for (QAccessible::Id id : std::as_const(rows_)) QAccessible::deleteAccessibleInterface(id);
}

QtListView* ListViewAccessible::View() const { return static_cast<QtListView*>(widget()); }

int ListViewAccessible::childCount() const {
  const QAbstractItemModel* model = View()->model();
  return model != nullptr ? model->rowCount() : 0;
}

QAccessibleInterface* ListViewAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  if (auto found = rows_.constFind(index); found != rows_.constEnd()) {
    auto* row = static_cast<ListRowAccessible*>(QAccessible::accessibleInterface(*found));
    if (row != nullptr && row->isValid() && row->Row() == index) return row;
    QAccessible::deleteAccessibleInterface(*found);
    rows_.erase(found);
  }
  // Rows of pages gone by are let go in bulk rather than one by one.
  if (rows_.size() > 2 * childCount() + 64) {
    for (auto it = rows_.begin(); it != rows_.end();) {
      auto* row = static_cast<ListRowAccessible*>(QAccessible::accessibleInterface(*it));
      if (row == nullptr || !row->isValid() || row->Row() != it.key()) {
        QAccessible::deleteAccessibleInterface(*it);
        it = rows_.erase(it);
      } else {
        ++it;
      }
    }
  }
  auto* row = new ListRowAccessible(View(), index);
  rows_.insert(index, QAccessible::registerAccessibleInterface(row));
  return row;
}

int ListViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (child == nullptr || child->role() != QAccessible::ListItem) return -1;
  if (child->parent() == nullptr || child->parent()->object() != View()) return -1;
  return static_cast<const ListRowAccessible*>(child)->Row();
}

QAccessibleInterface* ListViewAccessible::childAt(int x, int y) const {
  const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
  const QModelIndex index = View()->indexAt(at);
  return index.isValid() ? child(index.row()) : nullptr;
}

ListRowAccessible::ListRowAccessible(QtListView* view, int row)
    : view_(view), index_(view->model()->index(row, 0)) {}

bool ListRowAccessible::isValid() const { return view_ != nullptr && index_.isValid(); }

QWindow* ListRowAccessible::window() const {
  return view_ != nullptr ? view_->window()->windowHandle() : nullptr;
}

QAccessibleInterface* ListRowAccessible::parent() const {
  return view_ != nullptr ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
}

QString ListRowAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name || !isValid()) return QString();
  // The cells as the user sees them: a column of width 0 shows nothing.
  QStringList cells;
  const QAbstractItemModel* model = index_.model();
  const QHeaderView* header = view_->header();
  for (int column = 0; column < model->columnCount(); ++column) {
    if (header->isSectionHidden(column) || header->sectionSize(column) == 0) continue;
    const QString cell = model->index(index_.row(), column).data().toString();
    if (!cell.isEmpty()) cells.append(cell);
  }
  return cells.join(QStringLiteral(", "));
}

QRect ListRowAccessible::rect() const {
  if (!isValid()) return QRect();
  QRect row = view_->visualRect(index_);
  row.setLeft(0);
  row.setWidth(view_->viewport()->width());
  row = row.intersected(view_->viewport()->rect());
  if (row.isEmpty()) return QRect();
  return QRect(view_->viewport()->mapToGlobal(row.topLeft()), row.size());
}

QAccessible::State ListRowAccessible::state() const {
  QAccessible::State state;
  if (!isValid()) {
    state.invalid = true;
    return state;
  }
  state.selectable = true;
  state.focusable = true;
  if (view_->selectionModel() != nullptr) {
    state.selected = view_->selectionModel()->isRowSelected(index_.row(), QModelIndex());
  }
  state.focused = view_->hasFocus() && view_->currentIndex().row() == index_.row();
  if (rect().isEmpty()) state.invisible = state.offscreen = true;
  return state;
}

QAccessibleInterface* ListViewAccessibleFactory(const QString& key, QObject* object) {
  auto* view = qobject_cast<QtListView*>(object);
  if (view == nullptr || key != QLatin1String(QtListView::staticMetaObject.className())) {
    return nullptr;
  }
  return new ListViewAccessible(view);
}

}  // namespace quorvel::catalogue
