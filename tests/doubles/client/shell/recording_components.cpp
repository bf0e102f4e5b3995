#include "doubles/client/shell/recording_components.h"

namespace quorvel::shell::testing {

void RecordingWebBrowser::Navigate(std::u16string_view address) {
  addresses_.emplace_back(address);
  log_->push_back(name_ + u".Navigate " + std::u16string(address));
}

void RecordingMediaPlayer::SetURL(std::u16string_view file_path) {
  urls_.emplace_back(file_path);
  log_->push_back(u"WindowsMediaPlayer1.URL " + std::u16string(file_path));
}

bool RecordingSkin::SkinH_AttachEx(std::u16string_view skin_file, std::u16string_view password) {
  files_.emplace_back(skin_file);
  log_->push_back(u"SkinH_AttachEx " + std::u16string(skin_file) + u" [" +
                  std::u16string(password) + u"]");
  if (probe_) probe_();
  return result_;
}

}  // namespace quorvel::shell::testing
