#include "client/shell/main_controller.h"

#include <exception>
#include <utility>

#include "client/catalogue/listing_service.h"
#include "client/shell/main_layout.h"

namespace quorvel::shell {
namespace {

// A start-up step that fails is skipped and the next one runs.
template <typename Step>
void Guarded(Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
  } catch (const std::exception&) {
  } catch (...) {
  }
}

std::u16string Join(std::u16string_view folder, char16_t separator, std::u16string_view subfolder,
                    std::u16string_view name) {
  std::u16string path(folder);
  path.push_back(separator);
  path.append(subfolder);
  path.push_back(separator);
  path.append(name);
  return path;
}

}  // namespace

ProgramFiles ProgramFilesIn(std::u16string_view folder, char16_t separator) {
  return {std::u16string(folder), Join(folder, separator, u"mp3", u"mp3.mp3"),
          Join(folder, separator, u"Skin", u"Skin.she")};
}

MainController::MainController(MainView& view, const MainParts& parts, ShellAddresses addresses,
                               ProgramFiles files)
    : view_(view),
      parts_(parts),
      addresses_(std::move(addresses)),
      files_(std::move(files)),
      session_(parts.inet1, parts.list_view, parts.shell_open, files_.folder) {
  parts_.list_view.SetRowChosenHandler([this](int row) { RowChosen(row); });
}

void MainController::StartUp() {
  view_.ShowNoticeWindow();
  parts_.web_browser1.Navigate(addresses_.tip_page);
  parts_.windows_media_player1.SetURL(files_.music);

  Guarded([&] { view_.SetCaption(main_design::kCaption); });
  Guarded([&] { session_.SetServerUrl(addresses_.listing_base); });
  Guarded([&] { view_.SetButtonsEnabled(false, false, false); });
  Guarded([&] { catalogue::PrepareListColumns(parts_.list_view); });
  Guarded([&] { parts_.skin.SkinH_AttachEx(files_.skin, u""); });
  Guarded([&] { view_.SetButtonsEnabled(false, false, true); });
  Guarded([&] {
    busy_ = true;
    session_.StartUpLoad();
    busy_ = false;
  });
  busy_ = false;
  Guarded([&] { view_.ShowSession(session_, false); });
}

void MainController::CategoryClicked(int button_index) {
  Handle([&] { session_.CategoryClicked(button_index); });
}

void MainController::SearchClicked(std::u16string_view search_box_text) {
  Handle([&] { session_.SearchClicked(search_box_text); });
}

void MainController::NextPage() {
  Handle([&] { session_.NextPage(); });
}

void MainController::PreviousPage() {
  Handle([&] { session_.PreviousPage(); });
}

void MainController::RowChosen(int row) {
  Handle([&] {
    session_.RowChosen(row);
    list1_refill_due_ = true;
  });
}

void MainController::LinkSelected(int line) {
  Handle([&] { session_.LinkSelected(line); });
}

template <typename Action>
void MainController::Handle(Action&& action) {
  // The transfer keeps the windows painting while it waits, so an event could
  // reach a handler while another action is still under way; it is dropped.
  if (busy_) return;
  busy_ = true;
  bool completed = true;
  try {
    std::forward<Action>(action)();
  } catch (const std::exception&) {
    // Nothing may escape into the platform's event loop; the window stays usable.
    completed = false;
  }
  busy_ = false;
  view_.ShowSession(session_, list1_refill_due_);
  list1_refill_due_ = false;
  if (!completed) view_.TellUser(u"操作没有完成：程序内部出错。");
}

}  // namespace quorvel::shell
