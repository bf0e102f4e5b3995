#pragma once

#include <QStringList>

#include "catalogue/qt/qt_transfer.h"
#include "catalogue/testing/recording_shell_open.h"
#include "shell/main_components.h"

namespace quorvel::soak {

// The window's components as the program has them, the real Qt list view and
// transfer (with the given limits) and the style-sheet skin, except what
// would reach outside the test: addresses are recorded instead of opened, the
// browsers are blank and the player is silent.
class SoakComponents final : public shell::MainComponents {
 public:
  explicit SoakComponents(catalogue::QtTransfer::Limits limits) : limits_(limits) {}

  std::unique_ptr<catalogue::ListView> MakeListView(QWidget* host) override;
  std::unique_ptr<catalogue::Transfer> MakeTransfer() override;
  std::unique_ptr<catalogue::ShellOpen> MakeShellOpen() override;
  std::unique_ptr<shell::WebBrowser> MakeWebBrowser(QWidget* host) override;
  std::unique_ptr<shell::MediaPlayer> MakeMediaPlayer() override;
  std::unique_ptr<shell::Skin> MakeSkin() override;

  // Owned by the window; valid once the window has made it.
  catalogue::testing::RecordingShellOpen* shell_open = nullptr;

 private:
  catalogue::QtTransfer::Limits limits_;
  QStringList played_;  // what the silent player was given
};

}  // namespace quorvel::soak
