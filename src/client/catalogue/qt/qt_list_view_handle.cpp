#include "client/catalogue/qt/qt_list_view_handle.h"

#include <QPointer>
#include <QVBoxLayout>
#include <QWidget>

#include <utility>

#include "client/catalogue/qt/qt_list_view.h"

namespace quorvel::catalogue {
namespace {

// The window's hold on its list.  The list widget belongs to its host, as
// every widget of the window belongs to its parent, and goes with it; this
// handle owns nothing, does nothing once the widget is gone, and when it is
// let go the widget raises no more RowChosen into a window being taken down.
class QtListViewHandle final : public ListView {
 public:
  explicit QtListViewHandle(QtListView* view) : view_(view) {}
  ~QtListViewHandle() override {
    if (view_) view_->SetRowChosenHandler(nullptr);
  }
  QtListViewHandle(const QtListViewHandle&) = delete;
  QtListViewHandle& operator=(const QtListViewHandle&) = delete;

  void PrepareView() override {
    if (view_) view_->PrepareView();
  }
  void AddColumn(int position, std::u16string_view caption, int width) override {
    if (view_) view_->AddColumn(position, caption, width);
  }
  void ApplyDisplaySettings() override {
    if (view_) view_->ApplyDisplaySettings();
  }
  void ClearRows() override {
    if (view_) view_->ClearRows();
  }
  int RowCount() const override { return view_ ? view_->RowCount() : 0; }
  void AddRow(int index, std::u16string_view text) override {
    if (view_) view_->AddRow(index, text);
  }
  void SetCell(int row, int column, std::u16string_view text) override {
    if (view_) view_->SetCell(row, column, text);
  }
  void SetRowChosenHandler(RowChosenHandler handler) override {
    if (view_) view_->SetRowChosenHandler(std::move(handler));
  }

 private:
  QPointer<QtListView> view_;
};

}  // namespace

std::unique_ptr<ListView> MakeQtListView(QWidget* host) {
  auto* view = new QtListView(host);
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view);
  return std::make_unique<QtListViewHandle>(view);
}

}  // namespace quorvel::catalogue
