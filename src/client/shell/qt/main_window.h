#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

#include "client/catalogue/browsing_session.h"
#include "client/shell/addresses.h"
#include "client/shell/main_controller.h"
#include "client/shell/main_view.h"
#include "client/shell/qt/main_components.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QStringListModel;

namespace quorvel::shell {

class NoticeWindow;

// The main window on Qt Widgets.  It lays out the controls and hands the
// start-up and every click to the main window's logic (MainController);
// afterwards it shows what that says.  It parses nothing and fetches nothing
// itself.
class Main : public QWidget, private MainView {
  Q_OBJECT

 public:
  Main(MainComponents& components, const ShellAddresses& addresses, const QString& program_folder);
  ~Main() override;

  // Shows the notice window, starts the tip page and the music, prepares the
  // list, attaches the skin and lists page 1; this window is shown only when
  // all of that has returned.
  void StartUp();

  NoticeWindow& main1() { return *main1_; }
  const catalogue::BrowsingSession& Session() const { return controller_->Session(); }
  WebBrowser& WebBrowser1() { return *web_browser1_; }
  // Rows now in the catalogue list.
  int ListedRows() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void BuildControls();
  void BuildCategoryButtons();
  void BuildStores();
  void ChainTabOrder();
  void PlaceOnScreen();
  void FocusFirstVisibleControl();

  // MainView.
  void ShowNoticeWindow() override;
  void SetCaption(std::u16string_view caption) override;
  void SetButtonsEnabled(bool qian, bool hou, bool soso) override;
  void ShowSession(const catalogue::BrowsingSession& session, bool refill_list1) override;
  void TellUser(std::u16string_view notice) override;

  void ShowAboutBox();
  void OnList1SelectionChanged();

  MainComponents& components_;
  const ShellAddresses addresses_;
  const QString program_folder_;

  QLineEdit* text1_ = nullptr;
  QPushButton* soso_ = nullptr;
  QLabel* jilu_text_ = nullptr;
  QPushButton* command19_ = nullptr;
  QGroupBox* frame1_ = nullptr;
  std::array<QPushButton*, 18> category_buttons_{};
  QWidget* list_view_host_ = nullptr;
  QPushButton* qian_ = nullptr;
  QPushButton* hou_ = nullptr;
  QLabel* label1_ = nullptr;
  QListWidget* list1_ = nullptr;
  QListView* list2_ = nullptr;
  QListView* list3_ = nullptr;
  QStringListModel* list2_lines_ = nullptr;
  QStringListModel* list3_lines_ = nullptr;
  QLineEdit* haun_cun_text_ = nullptr;
  QWidget* web_browser1_host_ = nullptr;
  QWidget* media_player1_host_ = nullptr;
  QLabel* notice_ = nullptr;

  std::unique_ptr<catalogue::ListView> list_view_;
  std::unique_ptr<catalogue::Transfer> inet1_;
  std::unique_ptr<catalogue::ShellOpen> shell_open_;
  std::unique_ptr<WebBrowser> web_browser1_;
  std::unique_ptr<MediaPlayer> windows_media_player1_;
  std::unique_ptr<Skin> skin_;
  std::unique_ptr<NoticeWindow> main1_;
  std::unique_ptr<MainController> controller_;

  // The controls in the design's tab order.
  QList<QWidget*> tab_chain_;
  // As the notice window: the outer size last placed for, and how many more
  // times a new frame may move the window back into place.
  QSize placed_for_;
  int replacements_left_ = 3;
};

}  // namespace quorvel::shell
