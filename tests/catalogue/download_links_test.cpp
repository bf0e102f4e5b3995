#include "catalogue/download_links.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

struct LinksCase {
  const char* name;
  const char16_t* field;
  QStringList names;
  QStringList addresses;
};

class SplitDownloadLinksTest : public ::testing::TestWithParam<LinksCase> {};

TEST_P(SplitDownloadLinksTest, NamesAndAddressesLineForLine) {
  const LinksCase& c = GetParam();
  const DownloadLinkLists lists = SplitDownloadLinks(QString::fromUtf16(c.field));
  EXPECT_EQ(lists.names, c.names);
  EXPECT_EQ(lists.addresses, c.addresses);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitDownloadLinksTest,
    ::testing::Values(LinksCase{"two_links", u"a/*/x/**/b/*/y/**/", {"a", "b"}, {"x", "y"}},
                      LinksCase{"last_without_terminator", u"a/*/x/**/b/*/y", {"a"}, {"x"}},
                      LinksCase{"second_separator_ignored", u"a/*/x/*/z/**/", {"a"}, {"x"}},
                      LinksCase{"empty", u"", {}, {}}, LinksCase{"no_terminator", u"a/*/x", {}, {}},
                      LinksCase{"link_without_separator_skipped",
                                u"a/*/x/**/lonely/**/c/*/z/**/",
                                {"a", "c"},
                                {"x", "z"}},
                      LinksCase{"empty_name_and_address", u"/*//**/", {""}, {""}},
                      LinksCase{"empty_pieces_skipped", u"/**//**/a/*/x/**/", {"a"}, {"x"}},
                      LinksCase{
                          "chinese",
                          u"百度网盘/*/http://pan.example/s/1/**/迅雷/*/thunder://QUFodHRw/**/",
                          {"百度网盘", "迅雷"},
                          {"http://pan.example/s/1", "thunder://QUFodHRw"}},
                      LinksCase{"star_runs", u"a/*/*/x/**/", {"a"}, {"*/x"}}),
    [](const ::testing::TestParamInfo<LinksCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvel::catalogue
