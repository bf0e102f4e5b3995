#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

namespace quorvel::catalogue {

class QtListView;

// What a screen reader sees of the catalogue list: a list whose items are
// its rows, each named by the cells a user can see, joined.  Columns of
// width 0 (the links and the id) are not read out, nor the headers, so an
// arrow key that moves to a row has the whole row said, not its first cell.
class ListViewAccessible final : public QAccessibleWidget {
 public:
  explicit ListViewAccessible(QtListView* view);
  ~ListViewAccessible() override;

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

 private:
  QtListView* View() const;

  // Row interfaces already made, by row; each is checked against its row
  // before it is handed out again, as rows come and go with every page.
  mutable QHash<int, QAccessible::Id> rows_;
};

// One row of the catalogue list.
class ListRowAccessible final : public QAccessibleInterface {
 public:
  ListRowAccessible(QtListView* view, int row);

  int Row() const { return index_.row(); }

  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override { return QAccessible::ListItem; }
  QAccessible::State state() const override;

 private:
  QPointer<QtListView> view_;
  QPersistentModelIndex index_;
};

// The factory that makes ListViewAccessible for every QtListView.
QAccessibleInterface* ListViewAccessibleFactory(const QString& key, QObject* object);

}  // namespace quorvel::catalogue
