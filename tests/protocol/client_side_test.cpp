// The client's side of the wire format: the request it builds and the reply it reads.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "protocol/listing_reply_parser.h"
#include "protocol/listing_request_builder.h"

namespace quorvel::protocol {
namespace {

TEST(TrimSpacesTest, OnlyU0020AtBothEnds) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u"\u3000a\u00A0"), u"\u3000a\u00A0");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u""), u"");
}

struct QueryCase {
  const char16_t* term;
  const char16_t* query;
};

class FirstPageQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(FirstPageQueryTest, TrimmedAndEncoded) {
  EXPECT_EQ(FirstPageQuery(GetParam().term), GetParam().query);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstPageQueryTest,
    ::testing::Values(
        QueryCase{u"穿越火线", u"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"},
        QueryCase{u"  逆战  ", u"page=1&q=%E9%80%86%E6%88%98"}, QueryCase{u"", u"page=1&q="},
        QueryCase{u"   ", u"page=1&q="}, QueryCase{u"CSOL", u"page=1&q=CSOL"},
        QueryCase{
            u"请输入外挂的名称",
            u"page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%E5%90%8D%E7%A7%B0"}));

// Whatever the term holds, it cannot add a key or end the query early.
TEST(FirstPageQueryTest, TermCannotBreakTheQuery) {
  const std::u16string query = FirstPageQuery(u" C++ & page=9#x ");
  ASSERT_TRUE(query.starts_with(u"page=1&q="));
  EXPECT_EQ(query.find_first_of(u"&=# +", std::u16string_view(u"page=1&q=").size()),
            std::u16string::npos);
}

TEST(PagingQueryTest, PageNumberAlone) {
  EXPECT_EQ(PagingQuery(1), u"page=1");
  EXPECT_EQ(PagingQuery(2), u"page=2");
  EXPECT_EQ(PagingQuery(2147483647), u"page=2147483647");
}

using Text = std::u16string;
using Fields = std::vector<Text>;

std::vector<Fields> Records(std::u16string_view text) {
  std::vector<Fields> records;
  ForEachRecord(text, [&](const RecordFields& record) {
    records.emplace_back(record.field.begin(), record.field.end());
  });
  return records;
}

const Text R = u"\x01";
const Text F = u"\x02";

TEST(ForEachRecordTest, OnlyPiecesFollowedByASeparatorAreRecords) {
  EXPECT_TRUE(Records(u"").empty());
  EXPECT_TRUE(Records(u"a" + F + u"b?TtbBa?1?1").empty());
  const auto two = Records(u"a" + F + u"b" + R + u"c" + R + u"?TtbBa?2?1");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0][0], u"a");
  EXPECT_EQ(two[0][1], u"b");
  EXPECT_EQ(two[1][0], u"c");
  // The last record without its separator shares the trailer's piece.
  EXPECT_EQ(Records(u"a" + R + u"b?TtbBa?2?1").size(), 1u);
}

TEST(ForEachRecordTest, MissingFieldsAreEmptyAndExtraFieldsDropped) {
  const auto records = Records(u"a" + F + u"b" + R + u"0" + F + u"1" + F + u"2" + F + u"3" + F +
                               u"4" + F + u"5" + F + u"6" + F + u"7" + R);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (Fields{u"a", u"b", u"", u"", u"", u""}));
  EXPECT_EQ(records[1], (Fields{u"0", u"1", u"2", u"3", u"4", u"5"}));
}

TEST(ForEachRecordTest, EmptyPieceIsNoRecord) {
  const auto records = Records(R + u"a" + R + R + u"b" + R);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0][0], u"a");
  EXPECT_EQ(records[1][0], u"b");
}

TEST(ForEachRecordTest, EmptyFieldsInsideARecordKeepTheirPlaces) {
  const auto records = Records(F + F + u"x" + R);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], (Fields{u"", u"", u"x", u"", u"", u""}));
}

TEST(ForEachRecordTest, QuestionMarksInsideRecordsDoNoHarm) {
  const Text text = u"a?b" + F + u"?TtbBa" + R + u"?TtbBa?7?3";
  const auto records = Records(text);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0][0], u"a?b");
  const ListingTrailer trailer = ReadTrailer(text, false);
  EXPECT_EQ(trailer.entry_count, u"7");
  EXPECT_EQ(trailer.page_count, 3);
}

// The vector scans must agree with a plain loop wherever the hit falls
// relative to their eight-unit blocks.
TEST(FindSeparatorTest, AgreesWithAPlainScanAtEveryOffset) {
  for (int length = 0; length <= 40; ++length) {
    for (int at = -1; at < length; ++at) {
      for (const char16_t separator : {u'\u0001', u'\u0002'}) {
        std::u16string text(static_cast<std::size_t>(length), u'\u4E2D');
        if (at >= 0) text[static_cast<std::size_t>(at)] = separator;
        for (int from = 0; from <= length; ++from) {
          const int expected = at >= from ? at : length;
          ASSERT_EQ(FindSeparator(text.data(), from, length), std::size_t(expected))
              << length << " " << at << " " << from;
        }
      }
    }
  }
}

TEST(ReadTrailerTest, MarkerFoundWhereverItStands) {
  for (int before = 0; before <= 40; ++before) {
    // Question marks that do not start the marker come first.
    const std::string count = std::to_string(before);
    const Text text = Text(before, u'\u3F3F') + u"?TtbBaX" + Text(before % 9, u'?') + u"?TtbBa?" +
                      Text(count.begin(), count.end()) + u"?3";
    const ListingTrailer trailer = ReadTrailer(text, false);
    ASSERT_EQ(trailer.fault, ListingTrailer::Fault::kNone) << before;
    EXPECT_EQ(trailer.entry_count, Text(count.begin(), count.end()));
    EXPECT_EQ(trailer.page_count, 3);
  }
}

struct TrailerCase {
  const char* name;
  const char16_t* text;
  bool whole_text;
  ListingTrailer::Fault fault;
  bool counter_defined;
  const char16_t* entry_count;
  std::int32_t page_count;
};

class ReadTrailerTest : public ::testing::TestWithParam<TrailerCase> {};

TEST_P(ReadTrailerTest, ReadsCountAndPages) {
  const TrailerCase& c = GetParam();
  const ListingTrailer trailer = ReadTrailer(c.text, c.whole_text);
  EXPECT_EQ(trailer.fault, c.fault);
  EXPECT_EQ(trailer.counter_defined, c.counter_defined);
  if (c.counter_defined) {
    EXPECT_EQ(trailer.entry_count, c.entry_count);
  }
  EXPECT_EQ(trailer.page_count, c.page_count);
}

using Fault = ListingTrailer::Fault;
INSTANTIATE_TEST_SUITE_P(
    Cases, ReadTrailerTest,
    ::testing::Values(
        TrailerCase{"plain", u"?TtbBa?2?1", false, Fault::kNone, true, u"2", 1},
        TrailerCase{"blanks_kept_in_count", u"?TtbBa? 25 ? 2 ", false, Fault::kNone, true, u" 25 ",
                    2},
        TrailerCase{"further_parts_ignored", u"?TtbBa?9?4?x?y", false, Fault::kNone, true, u"9", 4},
        TrailerCase{"second_marker_ends_piece", u"?TtbBa?9?TtbBa?5?5", false, Fault::kNoPageCount,
                    true, u"9", 0},
        TrailerCase{"negative_pages", u"?TtbBa?3?-2", false, Fault::kNone, true, u"3", -2},
        TrailerCase{"no_marker", u"abc?5", false, Fault::kNoMarker, false, u"", 0},
        TrailerCase{"marker_case_matters", u"?ttbba?5?5", false, Fault::kNoMarker, false, u"", 0},
        TrailerCase{"no_page_part", u"?TtbBa?12", false, Fault::kNoPageCount, true, u"12", 0},
        TrailerCase{"empty_trailer", u"?TtbBa?", false, Fault::kNoPageCount, true, u"", 0},
        TrailerCase{"pages_not_a_number", u"?TtbBa?12?x", false, Fault::kPageCountNotANumber, true,
                    u"12", 0},
        TrailerCase{"pages_empty", u"?TtbBa?12?", false, Fault::kPageCountNotANumber, true, u"12",
                    0},
        TrailerCase{"paging_whole_text", u"abc?7?zz", true, Fault::kNoMarker, true, u"abc", 7},
        TrailerCase{"paging_whole_text_no_mark", u"abc", true, Fault::kNoMarker, true, u"abc", 0},
        TrailerCase{"paging_with_marker", u"x?y?TtbBa?4?2", true, Fault::kNone, true, u"4", 2}),
    [](const ::testing::TestParamInfo<TrailerCase>& info) { return std::string(info.param.name); });

struct CountCase {
  const char16_t* text;
  std::optional<std::int32_t> value;
};

class ParsePageCountTest : public ::testing::TestWithParam<CountCase> {};

// Read as the ordinary text-to-number conversion reads it: blanks around,
// a sign, a fraction rounded half to even, an exponent, "&H" and "&O" forms.
TEST_P(ParsePageCountTest, ReadsLikeTheOrdinaryNumericConversion) {
  EXPECT_EQ(ParsePageCount(GetParam().text), GetParam().value)
      << testing::PrintToString(GetParam().text);
}

constexpr std::optional<std::int32_t> kNo = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParsePageCountTest,
    ::testing::Values(
        // Whole numbers, blanks and signs.
        CountCase{u"0", 0}, CountCase{u"1", 1}, CountCase{u"  42 ", 42}, CountCase{u"\t7\r\n", 7},
        CountCase{u"+3", 3}, CountCase{u"-5", -5}, CountCase{u"007", 7},
        CountCase{u"2147483647", INT32_MAX}, CountCase{u"-2147483648", INT32_MIN},
        // Fractions, rounded half to even, exactly.
        CountCase{u"2.0", 2}, CountCase{u"3.", 3}, CountCase{u".5", 0}, CountCase{u"0.5", 0},
        CountCase{u"1.5", 2}, CountCase{u"2.5", 2}, CountCase{u"3.5", 4}, CountCase{u"-2.5", -2},
        CountCase{u"-3.5", -4}, CountCase{u"2.4999999", 2}, CountCase{u"2.51", 3},
        CountCase{u"2.50000000000000000000001", 3}, CountCase{u"-0.4", 0},
        CountCase{u"2147483646.5", 2147483646}, CountCase{u"-2147483648.5", INT32_MIN},
        // Exponents.
        CountCase{u"1e1", 10}, CountCase{u"1E+2", 100}, CountCase{u" 1.5e1 ", 15},
        CountCase{u"25e-1", 2}, CountCase{u"35E-1", 4}, CountCase{u"0e999999999999", 0},
        CountCase{u"7e-999999999999", 0}, CountCase{u"2147483647e0", INT32_MAX},
        // Hexadecimal and octal, a 32-bit pattern as the platform reads it.
        CountCase{u"&H10", 16}, CountCase{u"&h1f", 31}, CountCase{u" &O17 ", 15},
        CountCase{u"&o7", 7}, CountCase{u"&H7FFFFFFF", INT32_MAX}, CountCase{u"&HFFFFFFFF", -1},
        CountCase{u"&H0000000010", 16}, CountCase{u"&O37777777777", -1},
        // Outside 32 bits.
        CountCase{u"2147483648", kNo}, CountCase{u"-2147483649", kNo},
        CountCase{u"99999999999999999999", kNo}, CountCase{u"2147483647.5", kNo},
        CountCase{u"1e10", kNo}, CountCase{u"1e999999999999", kNo}, CountCase{u"&H100000000", kNo},
        CountCase{u"&O40000000000", kNo},
        // No number.
        CountCase{u"", kNo}, CountCase{u"  ", kNo}, CountCase{u"-", kNo}, CountCase{u".", kNo},
        CountCase{u"-.", kNo}, CountCase{u"1 2", kNo}, CountCase{u"3a", kNo},
        CountCase{u"1.2.3", kNo}, CountCase{u"1e", kNo}, CountCase{u"1e+", kNo},
        CountCase{u"e1", kNo}, CountCase{u"1e1.5", kNo}, CountCase{u"+-1", kNo},
        CountCase{u"&H", kNo}, CountCase{u"&HG", kNo}, CountCase{u"&O8", kNo},
        CountCase{u"&X10", kNo}, CountCase{u"-&H10", kNo}, CountCase{u"&H 10", kNo},
        CountCase{u"０", kNo}, CountCase{u"1,000", kNo}, CountCase{u"inf", kNo},
        CountCase{u"nan", kNo}, CountCase{u"0x10", kNo}));

struct LinksCase {
  const char* name;
  const char16_t* field;
  std::vector<DownloadLink> links;
};

class SplitDownloadLinksTest : public ::testing::TestWithParam<LinksCase> {};

TEST_P(SplitDownloadLinksTest, NamesAndAddressesLineForLine) {
  EXPECT_EQ(SplitDownloadLinks(GetParam().field), GetParam().links);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitDownloadLinksTest,
    ::testing::Values(
        LinksCase{"two_links", u"a/*/x/**/b/*/y/**/", {{u"a", u"x"}, {u"b", u"y"}}},
        LinksCase{"last_without_terminator", u"a/*/x/**/b/*/y", {{u"a", u"x"}}},
        LinksCase{"second_separator_ignored", u"a/*/x/*/z/**/", {{u"a", u"x"}}},
        LinksCase{"empty", u"", {}}, LinksCase{"no_terminator", u"a/*/x", {}},
        LinksCase{"link_without_separator_skipped",
                  u"a/*/x/**/lonely/**/c/*/z/**/",
                  {{u"a", u"x"}, {u"c", u"z"}}},
        LinksCase{"empty_name_and_address", u"/*//**/", {{u"", u""}}},
        LinksCase{"empty_pieces_skipped", u"/**//**/a/*/x/**/", {{u"a", u"x"}}},
        LinksCase{"chinese",
                  u"百度网盘/*/http://pan.example/s/1/**/迅雷/*/thunder://QUFodHRw/**/",
                  {{u"百度网盘", u"http://pan.example/s/1"}, {u"迅雷", u"thunder://QUFodHRw"}}},
        LinksCase{"star_runs", u"a/*/*/x/**/", {{u"a", u"*/x"}}}),
    [](const ::testing::TestParamInfo<LinksCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvel::protocol
