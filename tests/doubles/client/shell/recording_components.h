#pragma once

// Doubles of the shell's outside components.  Each writes what it is asked
// into one shared log, so a test sees the order of the start-up steps across
// them and the catalogue's doubles.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/shell/media_player.h"
#include "client/shell/skin.h"
#include "client/shell/web_browser.h"

namespace quorvel::shell::testing {

using Lines = std::vector<std::u16string>;

class RecordingWebBrowser final : public WebBrowser {
 public:
  RecordingWebBrowser(std::u16string name, Lines* log) : name_(std::move(name)), log_(log) {}
  void Navigate(std::u16string_view address) override;
  const Lines& addresses() const { return addresses_; }
  const std::u16string& name() const { return name_; }

 private:
  std::u16string name_;
  Lines* log_;
  Lines addresses_;
};

class RecordingMediaPlayer final : public MediaPlayer {
 public:
  explicit RecordingMediaPlayer(Lines* log) : log_(log) {}
  void SetURL(std::u16string_view file_path) override;
  const Lines& urls() const { return urls_; }

 private:
  Lines* log_;
  Lines urls_;
};

class RecordingSkin final : public Skin {
 public:
  explicit RecordingSkin(Lines* log) : log_(log) {}
  bool SkinH_AttachEx(std::u16string_view skin_file, std::u16string_view password) override;
  // What the next calls answer; true unless told otherwise.
  void SetResult(bool result) { result_ = result; }
  // Runs inside the call, before it answers.
  void SetProbe(std::function<void()> probe) { probe_ = std::move(probe); }
  const Lines& files() const { return files_; }

 private:
  Lines* log_;
  Lines files_;
  bool result_ = true;
  std::function<void()> probe_;
};

}  // namespace quorvel::shell::testing
