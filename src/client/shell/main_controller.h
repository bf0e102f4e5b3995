#pragma once

// The main window without the window: the start-up sequence in its order and
// every click, handed to the browsing session one at a time.  Each platform's
// window builds its controls, forwards its clicks here and shows what it is
// told through MainView.

#include <memory>
#include <string>
#include <string_view>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/components.h"
#include "client/shell/addresses.h"
#include "client/shell/main_view.h"
#include "client/shell/media_player.h"
#include "client/shell/skin.h"
#include "client/shell/web_browser.h"

namespace quorvel::shell {

// The outside components the main window holds; they must outlive it.
struct MainParts {
  catalogue::Transfer& inet1;
  catalogue::ListView& list_view;
  catalogue::ShellOpen& shell_open;
  WebBrowser& web_browser1;
  MediaPlayer& windows_media_player1;
  Skin& skin;
};

// The two files the program reads from its own folder.
struct ProgramFiles {
  std::u16string folder;
  std::u16string music;  // mp3/mp3.mp3
  std::u16string skin;   // Skin/Skin.she
};

// The files under `folder`, whose names are joined with `separator`.
ProgramFiles ProgramFilesIn(std::u16string_view folder, char16_t separator);

class MainController {
 public:
  MainController(MainView& view, const MainParts& parts, ShellAddresses addresses,
                 ProgramFiles files);

  // Shows the notice window, starts the tip page and the music, then, each
  // step guarded: the caption, ServerUrl, the buttons, the list's columns,
  // the skin, page 1.  The window is to be shown only when this returns.
  void StartUp();

  void CategoryClicked(int button_index);  // Command1 .. Command18 as 0 .. 17
  void SearchClicked(std::u16string_view search_box_text);
  void NextPage();
  void PreviousPage();
  void RowChosen(int row);
  void LinkSelected(int line);

  // While an action runs: a platform that keeps painting during a fetch may
  // deliver another click, which is dropped.
  bool Busy() const { return busy_; }
  const catalogue::BrowsingSession& Session() const { return session_; }
  const ShellAddresses& Addresses() const { return addresses_; }

 private:
  // Runs one action of the session unless another is still under way, then
  // shows its outcome.
  template <typename Action>
  void Handle(Action&& action);

  MainView& view_;
  MainParts parts_;
  ShellAddresses addresses_;
  ProgramFiles files_;
  catalogue::BrowsingSession session_;
  bool busy_ = false;
  // Set by a row choice: List1 is cleared and filled anew when next shown.
  bool list1_refill_due_ = false;
};

}  // namespace quorvel::shell
