#pragma once

// The client's two windows as a user meets them on a desktop: the real list
// and, where asked, the shipped skin, a page of ordinary entries listed and
// the first one chosen, so that every kind of text is on show.

#include <QString>

#include <memory>

#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"

namespace quorvel::shell::testing {

// Rows as the service lists them: a game, a title, a licence, an update time.
std::string OrdinaryPage(std::string_view count);

class DesktopWindow {
 public:
  // With `skinned` the shipped skin file is attached at its start-up step.
  explicit DesktopWindow(bool skinned);
  ~DesktopWindow();

  Main& window() { return *window_; }
  TestComponents& components() { return components_; }

  // Lists the page, shows both windows and chooses the first row.
  void StartAndChooseFirstRow();

 private:
  TestComponents components_{/*qt_list_view=*/true};
  std::unique_ptr<Main> window_;
};

}  // namespace quorvel::shell::testing
