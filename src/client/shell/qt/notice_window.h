#pragma once

#include <QWidget>

#include <memory>

#include "client/shell/addresses.h"
#include "client/shell/qt/web_browser_factory.h"

class QFrame;
class QLabel;

namespace quorvel::shell {

// The small window in the bottom right-hand corner of the screen: a plea,
// the partner's page seen through a frame, and the notice page in a strip.
// It has no actions of its own and lives beside the main window, not under it.
class NoticeWindow : public QWidget {
  Q_OBJECT

 public:
  NoticeWindow(const WebBrowserFactory& make_browser, const ShellAddresses& addresses);
  ~NoticeWindow() override;

  // The window's load, then shown without waiting and without an owner.
  void ShowNotice();

  WebBrowser& WebBrowser1() { return *web_browser1_; }
  WebBrowser& WebBrowser2() { return *web_browser2_; }

 protected:
  void moveEvent(QMoveEvent* event) override;

 private:
  void PlaceOnScreen();

  ShellAddresses addresses_;
  QLabel* label1_ = nullptr;
  QFrame* frame1_ = nullptr;
  QWidget* web_browser1_host_ = nullptr;
  QWidget* web_browser2_host_ = nullptr;
  std::unique_ptr<WebBrowser> web_browser1_;
  std::unique_ptr<WebBrowser> web_browser2_;
  // The outer size the window was last placed for.  A window manager adds
  // its frame only once the window is on screen, so the first place may have
  // to be taken again; a few times is enough for any manager.
  QSize placed_for_;
  int replacements_left_ = 3;
  // How many more times to wait for Qt to hear of a frame the display server
  // has already drawn (20 ms each).
  int frame_waits_left_ = 50;
};

}  // namespace quorvel::shell
