#pragma once

// A browsing session wired to the component doubles, on a catalogue of
// recognisable records.

#include <gtest/gtest.h>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/listing_service.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "encoding/utf8_encoder.h"
#include "reply_builder.h"
#include "text_checks.h"

namespace quorvel::catalogue::testing {

using quorvel::testing::Contains;

inline const std::u16string kServer = u"http://127.0.0.1:8731/adminphp/";
inline const std::u16string kScript = u"http://127.0.0.1:8731/adminphp/admin_upload.php?";
inline const std::u16string kFolder = u"/opt/quorvel";

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : session_(transfer_, list_, shell_, kFolder) {
    PrepareListColumns(list_);
    session_.SetServerUrl(kServer);
  }

  // Start-up on page 1 of a catalogue of `pages` pages.
  void StartUp(int pages = 3) {
    transfer_.QueueReply(Reply(Records(2), "30?" + std::to_string(pages)));
    session_.StartUpLoad();
    ASSERT_TRUE(session_.Notice().empty()) << encoding::Utf16ToUtf8(session_.Notice());
  }

  Lines Column(std::size_t column) const {
    Lines cells;
    for (const Lines& row : list_.rows()) cells.push_back(row[column]);
    return cells;
  }

  ScriptedTransfer transfer_;
  FakeListView list_;
  RecordingShellOpen shell_;
  BrowsingSession session_;
};

}  // namespace quorvel::catalogue::testing
