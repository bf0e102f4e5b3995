#pragma once

#include <QTreeView>

#include "client/catalogue/components.h"
#include "client/catalogue/qt/list_table_model.h"

namespace quorvel::catalogue {

// The catalogue list on Qt's model/view: a flat tree view over our own table
// model.  RowChosen is raised when the user picks a row with the mouse (also
// the row already current) or moves to one with the keyboard; moves the
// program makes itself raise nothing.
class QtListView : public QTreeView, public ListView {
  Q_OBJECT

 public:
  explicit QtListView(QWidget* parent = nullptr);

  void PrepareView() override;
  void AddColumn(int position, std::u16string_view caption, int width) override;
  void ApplyDisplaySettings() override;
  void ClearRows() override;
  int RowCount() const override;
  void AddRow(int index, std::u16string_view text) override;
  void SetCell(int row, int column, std::u16string_view text) override;
  void SetRowChosenHandler(RowChosenHandler handler) override;

  ListTableModel* table() const { return table_; }
  // Shows the rows added so far now instead of at the next turn of the event loop.
  void CommitPendingRows() { table_->CommitRows(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

 private:
  class UserInput;

  void OnCurrentRowChanged(const QModelIndex& current);
  void OnClicked(const QModelIndex& index);
  void Raise(int row);

  ListTableModel* table_;
  RowChosenHandler handler_;
  int user_input_depth_ = 0;
  bool chosen_during_press_ = false;
};

}  // namespace quorvel::catalogue
