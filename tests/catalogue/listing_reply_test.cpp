#include "catalogue/listing_reply.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quorvel::catalogue {
namespace {

std::vector<std::vector<QString>> Records(const QString& text) {
  std::vector<std::vector<QString>> records;
  ForEachRecord(text, [&](const RecordFields& record) {
    std::vector<QString> fields;
    for (const QStringView field : record.field) fields.push_back(field.toString());
    records.push_back(std::move(fields));
  });
  return records;
}

const QChar R(0x0001);
const QChar F(0x0002);

TEST(DecodeReplyTest, DecodesWholeReplyIntoOneString) {
  EXPECT_TRUE(DecodeReply(QByteArray()).isEmpty());
  EXPECT_EQ(DecodeReply(QByteArray("abc")), QStringLiteral("abc"));
  EXPECT_EQ(DecodeReply(QByteArray("\xE4\xB8\xAD")), QString(QChar(0x4E2D)));
  EXPECT_EQ(DecodeReply(QByteArray("\xEF\xBB\xBF"
                                   "a")),
            QString(QChar(0xFEFF)) + "a");
  EXPECT_EQ(DecodeReply(QByteArray("a\0b", 3)), QString("a") + QChar(0) + "b");
  EXPECT_EQ(DecodeReply(QByteArray("a\xC3")), QString("a") + QChar(0xFFFD));
  const QString pair = DecodeReply(QByteArray("\xF0\x9F\x98\x80"));
  ASSERT_EQ(pair.size(), 2);
  EXPECT_EQ(pair[0].unicode(), 0xD83D);
  EXPECT_EQ(pair[1].unicode(), 0xDE00);
}

TEST(DecodeReplyTest, BufferIsSizedFromTheByteCount) {
  const QByteArray chinese = QStringLiteral("穿越火线").toUtf8();
  const QString text = DecodeReply(chinese);
  EXPECT_EQ(text, QStringLiteral("穿越火线"));
  EXPECT_GE(text.capacity(), chinese.size());
}

TEST(ForEachRecordTest, OnlyPiecesFollowedByASeparatorAreRecords) {
  EXPECT_TRUE(Records(QString()).empty());
  EXPECT_TRUE(Records(QStringLiteral("a") + F + "b?TtbBa?1?1").empty());
  const auto two = Records(QString("a") + F + "b" + R + "c" + R + "?TtbBa?2?1");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0][0], "a");
  EXPECT_EQ(two[0][1], "b");
  EXPECT_EQ(two[1][0], "c");
  // The last record without its separator shares the trailer's piece.
  EXPECT_EQ(Records(QString("a") + R + "b?TtbBa?2?1").size(), 1u);
}

TEST(ForEachRecordTest, MissingFieldsAreEmptyAndExtraFieldsDropped) {
  const auto records = Records(QString("a") + F + "b" + R + "0" + F + "1" + F + "2" + F + "3" + F +
                               "4" + F + "5" + F + "6" + F + "7" + R);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (std::vector<QString>{"a", "b", "", "", "", ""}));
  EXPECT_EQ(records[1], (std::vector<QString>{"0", "1", "2", "3", "4", "5"}));
}

TEST(ForEachRecordTest, EmptyPieceIsNoRecord) {
  const auto records = Records(QString(R) + "a" + R + R + "b" + R);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0][0], "a");
  EXPECT_EQ(records[1][0], "b");
}

TEST(ForEachRecordTest, EmptyFieldsInsideARecordKeepTheirPlaces) {
  const auto records = Records(QString(F) + F + "x" + R);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], (std::vector<QString>{"", "", "x", "", "", ""}));
}

TEST(ForEachRecordTest, QuestionMarksInsideRecordsDoNoHarm) {
  const auto records = Records(QString("a?b") + F + "?TtbBa" + R + "?TtbBa?7?3");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0][0], "a?b");
  const ListingTrailer trailer =
      ReadTrailer(QString("a?b") + F + "?TtbBa" + R + "?TtbBa?7?3", false);
  EXPECT_EQ(trailer.entry_count, QStringLiteral("7"));
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
          const qsizetype expected = at >= from ? at : length;
          ASSERT_EQ(FindSeparator(text.data(), from, length), expected)
              << length << " " << at << " " << from;
        }
      }
    }
  }
}

TEST(ReadTrailerTest, MarkerFoundWhereverItStands) {
  for (int before = 0; before <= 40; ++before) {
    // Question marks that do not start the marker come first.
    QString text = QString(before, QChar(0x3F3F)) + "?TtbBaX" + QString(before % 9, u'?');
    text += QStringLiteral("?TtbBa?%1?3").arg(before);
    const ListingTrailer trailer = ReadTrailer(text, false);
    ASSERT_EQ(trailer.fault, ListingTrailer::Fault::kNone) << before;
    EXPECT_EQ(trailer.entry_count.toString(), QString::number(before));
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
  const QString text = QString::fromUtf16(c.text);
  const ListingTrailer trailer = ReadTrailer(text, c.whole_text);
  EXPECT_EQ(trailer.fault, c.fault);
  EXPECT_EQ(trailer.counter_defined, c.counter_defined);
  if (c.counter_defined) {
    EXPECT_EQ(trailer.entry_count.toString(), QString::fromUtf16(c.entry_count));
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
  EXPECT_EQ(ParsePageCount(QString::fromUtf16(GetParam().text)), GetParam().value)
      << QString::fromUtf16(GetParam().text).toStdString();
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

}  // namespace
}  // namespace quorvel::catalogue
