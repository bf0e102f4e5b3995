// Choosing a row and opening its links.
#include <gtest/gtest.h>

#include "session_fixture.h"

namespace quorvel::catalogue {
namespace {

using testing::kFolder;
using testing::kServer;
using testing::kScript;
using testing::Record;
using testing::Records;
using testing::Reply;
using testing::SessionTest;
using Failure = TransferResult::Failure;

TEST_F(SessionTest, ChoosingARowFillsTheLinkLists) {
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", "a/*/x/**/b/*/y/**/", "1"},
                              {"c", "t", "m", "u", "a/*/x/**/b/*/y", "2"},
                              {"c", "t", "m", "u", "a/*/x/*/z/**/", "3"},
                              {"c", "t", "m", "u", "", "4"},
                              {"c", "t", "m", "u", "a/*/x/**/broken/**/", "5"}},
                             "5?1"));
  session_.StartUpLoad();
  struct Case {
    int row;
    QStringList names;
    QStringList addresses;
  };
  const Case cases[] = {
      {0, {"a", "b"}, {"x", "y"}}, {1, {"a"}, {"x"}}, {2, {"a"}, {"x"}}, {3, {}, {}},
      {4, {"a"}, {"x"}},           {5, {}, {}},       {-1, {}, {}}};
  for (const Case& c : cases) {
    session_.RowChosen(c.row);
    EXPECT_EQ(session_.List1(), c.names) << c.row;
    EXPECT_EQ(session_.List2(), c.addresses) << c.row;
    EXPECT_EQ(session_.HaunCunText(),
              c.row >= 0 && c.row < 5 ? session_.List3()[c.row] : QString());
  }
}

TEST_F(SessionTest, SelectingANameOpensItsAddressFromTheProgramFolder) {
  transfer_.QueueReply(
      Reply({{"c", "t", "m", "u", "a/*/http://x/**/b/*/https://y/**/", "1"}}, "1?1"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  session_.LinkSelected(1);
  // The arrow keys pass over every line: each one opens.
  session_.LinkSelected(0);
  ASSERT_EQ(shell_.opened().size(), 2u);
  EXPECT_EQ(shell_.opened()[0].address, "https://y");
  EXPECT_EQ(shell_.opened()[0].working_directory, kFolder);
  EXPECT_EQ(shell_.opened()[1].address, "http://x");
  EXPECT_TRUE(session_.Notice().isEmpty());
  session_.LinkSelected(2);
  session_.LinkSelected(-1);
  EXPECT_EQ(shell_.opened().size(), 2u);
}

TEST_F(SessionTest, RefusedAddressesStartNothing) {
  const char* refused[] = {
      "file:///etc/passwd", "/bin/sh", "javascript:alert(1)", "data:text/html,x", "gopher://x",
      "--version",          ""};
  QString links;
  for (const char* address : refused) links += QStringLiteral("n/*/%1/**/").arg(address);
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", links, "1"}}, "1?1"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  ASSERT_EQ(session_.List2().size(), static_cast<qsizetype>(std::size(refused)));
  for (int line = 0; line < session_.List2().size(); ++line) {
    session_.LinkSelected(line);
    EXPECT_FALSE(session_.Notice().isEmpty()) << refused[line];
  }
  EXPECT_TRUE(shell_.opened().empty());
}

TEST_F(SessionTest, ShellFailureIsTold) {
  transfer_.QueueReply(Reply({Record(0)}, "1?1"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  shell_.FailWith("xdg-open could not be started");
  session_.LinkSelected(0);
  EXPECT_TRUE(session_.Notice().contains("xdg-open could not be started"));
}

TEST_F(SessionTest, LinkListsOutliveANewLoadUntilARowIsChosen) {
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", "old/*/http://old/**/", "1"}}, "1?2"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", "new/*/http://new/**/", "1"}}, "1?2"));
  session_.NextPage();
  EXPECT_EQ(session_.List1(), QStringList{"old"});
  session_.LinkSelected(0);
  EXPECT_EQ(shell_.opened().back().address, "http://old");
  session_.RowChosen(0);
  EXPECT_EQ(session_.List1(), QStringList{"new"});
}

TEST_F(SessionTest, ChoosingAfterPagingShowsThatPagesLinks) {
  StartUp();
  transfer_.QueueReply(Reply({Record(7), Record(8)}, "30?3"));
  session_.NextPage();
  session_.RowChosen(1);
  EXPECT_EQ(session_.List1(), QStringList{"n8"});
  EXPECT_EQ(session_.List2(), QStringList{"http://h/8"});
}

}  // namespace
}  // namespace quorvel::catalogue
