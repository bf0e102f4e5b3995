#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

#include "client/catalogue/browsing_session.h"
#include "client/shell/addresses.h"
#include "client/shell/main_components.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QStringListModel;

namespace quorvel::shell {

class NoticeWindow;

// The main window.  It lays out the controls, runs the start-up sequence and
// hands every click to the browsing session; afterwards it shows what the
// session says.  It parses nothing and fetches nothing itself.
class Main : public QWidget {
  Q_OBJECT

 public:
  Main(MainComponents& components, const ShellAddresses& addresses, const QString& program_folder);
  ~Main() override;

  // Shows the notice window, starts the tip page and the music, prepares the
  // list, attaches the skin and lists page 1; this window is shown only when
  // all of that has returned.
  void StartUp();

  NoticeWindow& main1() { return *main1_; }
  const catalogue::BrowsingSession& Session() const { return *session_; }
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
  void PrepareListView();
  void PlaceOnScreen();
  void FocusFirstVisibleControl();

  // Runs one action of the session unless another is still under way, then
  // shows its outcome.
  template <typename Action>
  void Handle(Action&& action);
  void ShowSessionState();
  // One sentence over the foot of the list; an empty one puts it away.
  void TellUser(const QString& notice);
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
  std::unique_ptr<catalogue::BrowsingSession> session_;
  std::unique_ptr<NoticeWindow> main1_;

  // The controls in the design's tab order.
  QList<QWidget*> tab_chain_;
  bool busy_ = false;
  // As the notice window: the outer size last placed for, and how many more
  // times a new frame may move the window back into place.
  QSize placed_for_;
  int replacements_left_ = 3;
  // Set by a row choice: List1 is cleared and filled anew when next shown.
  bool list1_refill_due_ = false;
};

}  // namespace quorvel::shell
