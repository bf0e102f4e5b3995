// The music through MCI: a file that is not there, or no sound device, ends
// in silence and never in a message or a stuck program.

#include "client/shell/win32/mci_media_player.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <iostream>

namespace quorvel::shell {
namespace {

TEST(MciMediaPlayer, AMissingFileFailsSilently) {
  MciMediaPlayer player;
  player.SetURL(u"Z:\\no such folder\\mp3\\mp3.mp3");
  EXPECT_NE(player.Settle(), 0u);
  EXPECT_EQ(player.Mode(), u"");
}

// Wine here has no sound device: MCI then says so, and that is all.
TEST(MciMediaPlayer, TheMusicPlaysOrTheDeviceIsMissing) {
  MciMediaPlayer player;
  const std::u16string music(u"" QUORVEL_TEST_MP3);
  std::u16string path;
  for (const char16_t c : music) path += c == u'/' ? u'\\' : c;
  player.SetURL(path);
  const DWORD error = player.Settle();
  RecordProperty("mci_error", static_cast<int>(error));
  if (error == 0) {
    EXPECT_EQ(player.Mode(), u"playing");
  } else {
    wchar_t text[256] = L"";
    mciGetErrorStringW(error, text, 256);
    EXPECT_EQ(player.Mode(), u"");
    std::wcout << L"MCI: " << error << L" " << text << std::endl;
  }
  // A second file replaces the first, and the player closes cleanly.
  player.SetURL(path);
  EXPECT_EQ(player.Settle(), error);
}

}  // namespace
}  // namespace quorvel::shell
