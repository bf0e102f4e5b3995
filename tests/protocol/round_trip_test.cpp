// What the service writes is what the client reads: replies built by the
// service from generated entries, hostile fields included, read back by the
// client's parser to the same rows, links and trailer.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "encoding/utf8_decoder.h"
#include "protocol/listing_reply_parser.h"
#include "protocol/listing_reply_writer.h"
#include "service/store/field_cleaning.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"

namespace quorvel::protocol {
namespace {

using service::CatalogueEntry;

constexpr std::string_view kOrigin = "http://127.0.0.1:8731";

std::u16string Utf16(std::string_view utf8) {
  std::u16string text(utf8.size(), u'\0');
  text.resize(encoding::DecodeUtf8Into(reinterpret_cast<const unsigned char*>(utf8.data()),
                                       utf8.size(), text.data()));
  return text;
}

// Pieces that a field may be made of: framing, whole and broken markers,
// question marks, numbers the trailer reader would take, four-byte characters.
constexpr std::array<std::string_view, 16> kHostile = {"\x01",    "\x02", std::string_view("\0", 1),
                                                       "?TtbBa?", "?Ttb", "Ba?",
                                                       "?",       "??",   "12?3",
                                                       "&H10",    " ",    "穿越火线",
                                                       "😀",       "/",    "*",
                                                       "a"};
// Link names and addresses cannot hold the link separators; all else goes.
constexpr std::array<std::string_view, 10> kLinkPieces = {
    "\x01", "?TtbBa?", "?Ttb", "Ba?", "本地下载", "😀", "http://x/y?z=1", "&", " ", "%2F"};

std::string Pick(std::mt19937& random, const auto& pieces, int most) {
  std::string text;
  for (int n = static_cast<int>(random() % (most + 1)); n > 0; --n) {
    text += pieces[random() % pieces.size()];
  }
  return text;
}

// A name or an address as the client must see it: cleaned as the service
// cleans what it imports, a path on the service with the service's origin.
std::u16string Served(std::string part, bool address) {
  service::CleanField(part);
  if (address && part.starts_with("/") && !part.starts_with("//")) part.insert(0, kOrigin);
  return Utf16(part);
}

struct Link {
  std::string name;
  std::string address;
};

TEST(RoundTripTest, ClientReadsWhatTheServiceWrites) {
  std::mt19937 random(20240611);
  for (int reply = 0; reply < 300; ++reply) {
    std::vector<CatalogueEntry> entries(random() % 12);
    std::vector<std::vector<Link>> links(entries.size());
    service::RowStore store;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      CatalogueEntry& e = entries[i];
      e = {Pick(random, kHostile, 6),
           Pick(random, kHostile, 6),
           Pick(random, kHostile, 2),
           Pick(random, kHostile, 2),
           "",
           Pick(random, kHostile, 3)};
      for (int n = static_cast<int>(random() % 4); n > 0; --n) {
        const std::string path = random() % 2 == 0 ? "/download/" + std::to_string(i) : "";
        links[i].push_back({Pick(random, kLinkPieces, 3), Pick(random, kLinkPieces, 2) + path});
        e.download_links += links[i].back().name + "/*/" + links[i].back().address + "/**/";
      }
      service::CleanEntry(e);
      store.Add(static_cast<std::int64_t>(i), e);
    }
    store.Finish();
    std::vector<std::size_t> rows(entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = i;
    const std::int64_t pages = random() % 100000;

    const std::u16string text =
        Utf16(service::BuildListingReply(store, rows, 7 * pages, pages, kOrigin));
    std::size_t row = 0;
    ForEachRecord(text, [&](const RecordFields& record) {
      ASSERT_LT(row, entries.size());
      const CatalogueEntry& e = entries[row];
      const std::array<std::string, 6> fields = {e.category,
                                                 e.title,
                                                 e.licence_mode,
                                                 e.update_time,
                                                 ResolveDownloadLinks(e.download_links, kOrigin),
                                                 e.entry_id};
      for (int f = 0; f < kRecordFieldCount; ++f) {
        EXPECT_EQ(record.field[f], Utf16(fields[f])) << reply << " " << row << " " << f;
      }
      const std::vector<DownloadLink> read = SplitDownloadLinks(record.field[4]);
      ASSERT_EQ(read.size(), links[row].size()) << reply << " " << row;
      for (std::size_t k = 0; k < read.size(); ++k) {
        EXPECT_EQ(read[k].name, Served(links[row][k].name, false));
        EXPECT_EQ(read[k].address, Served(links[row][k].address, true));
      }
      ++row;
    });
    EXPECT_EQ(row, entries.size()) << reply;
    const ListingTrailer trailer = ReadTrailer(text, false);
    EXPECT_EQ(trailer.fault, ListingTrailer::Fault::kNone) << reply;
    EXPECT_EQ(trailer.entry_count, Utf16(std::to_string(7 * pages)));
    EXPECT_EQ(trailer.page_count, pages);
  }
}

}  // namespace
}  // namespace quorvel::protocol
