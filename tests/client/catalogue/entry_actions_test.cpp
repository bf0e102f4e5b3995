// Choosing a row and opening its links.
#include <gtest/gtest.h>

#include "session_fixture.h"

namespace quorvel::catalogue {
namespace {

using testing::Contains;
using testing::kFolder;
using testing::kScript;
using testing::kServer;
using testing::Lines;
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
    Lines names;
    Lines addresses;
  };
  const Case cases[] = {{0, {u"a", u"b"}, {u"x", u"y"}},
                        {1, {u"a"}, {u"x"}},
                        {2, {u"a"}, {u"x"}},
                        {3, {}, {}},
                        {4, {u"a"}, {u"x"}},
                        {5, {}, {}},
                        {-1, {}, {}}};
  for (const Case& c : cases) {
    session_.RowChosen(c.row);
    EXPECT_EQ(session_.List1(), c.names) << c.row;
    EXPECT_EQ(session_.List2(), c.addresses) << c.row;
    EXPECT_EQ(session_.HaunCunText(), c.row >= 0 && c.row < 5
                                          ? session_.List3()[static_cast<std::size_t>(c.row)]
                                          : std::u16string());
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
  EXPECT_EQ(shell_.opened()[0].address, u"https://y");
  EXPECT_EQ(shell_.opened()[0].working_directory, kFolder);
  EXPECT_EQ(shell_.opened()[1].address, u"http://x");
  EXPECT_TRUE(session_.Notice().empty());
  session_.LinkSelected(2);
  session_.LinkSelected(-1);
  EXPECT_EQ(shell_.opened().size(), 2u);
}

TEST_F(SessionTest, RefusedAddressesStartNothing) {
  const char* refused[] = {
      "file:///etc/passwd", "/bin/sh", "javascript:alert(1)", "data:text/html,x", "gopher://x",
      "--version",          ""};
  std::string links;
  for (const char* address : refused) links += std::string("n/*/") + address + "/**/";
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", links, "1"}}, "1?1"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  ASSERT_EQ(session_.List2().size(), std::size(refused));
  for (int line = 0; line < static_cast<int>(session_.List2().size()); ++line) {
    session_.LinkSelected(line);
    EXPECT_FALSE(session_.Notice().empty()) << refused[line];
  }
  EXPECT_TRUE(shell_.opened().empty());
}

TEST_F(SessionTest, ShellFailureIsTold) {
  transfer_.QueueReply(Reply({Record(0)}, "1?1"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  shell_.FailWith(u"xdg-open could not be started");
  session_.LinkSelected(0);
  EXPECT_TRUE(Contains(session_.Notice(), u"xdg-open could not be started"));
}

TEST_F(SessionTest, LinkListsOutliveANewLoadUntilARowIsChosen) {
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", "old/*/http://old/**/", "1"}}, "1?2"));
  session_.StartUpLoad();
  session_.RowChosen(0);
  transfer_.QueueReply(Reply({{"c", "t", "m", "u", "new/*/http://new/**/", "1"}}, "1?2"));
  session_.NextPage();
  EXPECT_EQ(session_.List1(), Lines{u"old"});
  session_.LinkSelected(0);
  EXPECT_EQ(shell_.opened().back().address, u"http://old");
  session_.RowChosen(0);
  EXPECT_EQ(session_.List1(), Lines{u"new"});
}

TEST_F(SessionTest, ChoosingAfterPagingShowsThatPagesLinks) {
  StartUp();
  transfer_.QueueReply(Reply({Record(7), Record(8)}, "30?3"));
  session_.NextPage();
  session_.RowChosen(1);
  EXPECT_EQ(session_.List1(), Lines{u"n8"});
  EXPECT_EQ(session_.List2(), Lines{u"http://h/8"});
}

}  // namespace
}  // namespace quorvel::catalogue
