#pragma once

// A browsing session wired to the component doubles, on a catalogue of
// recognisable records.

#include <gtest/gtest.h>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/listing_service.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "reply_builder.h"

namespace quorvel::catalogue::testing {

inline const QString kServer = QStringLiteral("http://127.0.0.1:8731/adminphp/");
inline const QString kScript = QStringLiteral("http://127.0.0.1:8731/adminphp/admin_upload.php?");
inline const QString kFolder = QStringLiteral("/opt/quorvel");

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() : session_(transfer_, list_, shell_, kFolder) {
    PrepareListColumns(list_);
    session_.SetServerUrl(kServer);
  }

  // Start-up on page 1 of a catalogue of `pages` pages.
  void StartUp(int pages = 3) {
    transfer_.QueueReply(Reply(Records(2), QStringLiteral("30?%1").arg(pages)));
    session_.StartUpLoad();
    ASSERT_TRUE(session_.Notice().isEmpty()) << session_.Notice().toStdString();
  }

  QStringList Column(int column) const {
    QStringList cells;
    for (const QStringList& row : list_.rows()) cells.append(row[column]);
    return cells;
  }

  ScriptedTransfer transfer_;
  FakeListView list_;
  RecordingShellOpen shell_;
  BrowsingSession session_;
};

}  // namespace quorvel::catalogue::testing
