// What the service writes is what the client reads: replies built by the
// service from generated entries, hostile fields included, read back by the
// client's parser to the same rows, links and trailer.
#include <gtest/gtest.h>

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

// Pieces fields are made of: framing, whole and broken markers, question
// marks, numbers the trailer reader would take, four-byte characters.
constexpr std::string_view kHostile[] = {"\x01", "\x02", {"\0", 1}, "?TtbBa?", "?Ttb", "Ba?",  "?",
                                         "12?3", "&H10", " ",       "/",       "*",    "穿越", "😀"};
// Link names and addresses cannot hold the link separators; all else goes.
constexpr std::string_view kLinkPieces[] = {"\x01", "?TtbBa?", "?Ttb",           "Ba?",  "&",
                                            " ",    "%2F",     "http://x/y?z=1", "下载", "😀"};

template <std::size_t N>
std::string Pick(std::mt19937& random, const std::string_view (&pieces)[N], int most) {
  std::string text;
  for (int n = static_cast<int>(random() % (most + 1)); n > 0; --n) text += pieces[random() % N];
  return text;
}

// A link's name or address as the client must see it: cleaned as the service
// cleans what it imports, a path on the service with the service's origin.
std::u16string Served(std::string part, bool address) {
  service::CleanField(part);
  if (address && part.starts_with("/") && !part.starts_with("//")) part.insert(0, kOrigin);
  return Utf16(part);
}

TEST(RoundTripTest, ClientReadsWhatTheServiceWrites) {
  std::mt19937 random(20240611);
  for (int reply = 0; reply < 300; ++reply) {
    std::vector<CatalogueEntry> entries(random() % 12);
    std::vector<std::vector<std::pair<std::string, std::string>>> links(entries.size());
    std::vector<std::size_t> rows;
    service::RowStore store;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      CatalogueEntry& e = entries[i];
      for (std::string* field :
           {&e.category, &e.title, &e.licence_mode, &e.update_time, &e.entry_id}) {
        *field = Pick(random, kHostile, 5);
      }
      for (int n = static_cast<int>(random() % 4); n > 0; --n) {
        const std::string path = random() % 2 == 0 ? "/download/" + std::to_string(i) : "";
        const auto& [name, address] = links[i].emplace_back(Pick(random, kLinkPieces, 3),
                                                            Pick(random, kLinkPieces, 2) + path);
        e.download_links += name + "/*/" + address + "/**/";
      }
      service::CleanEntry(e);
      store.Add(static_cast<std::int64_t>(i), e);
      rows.push_back(i);
    }
    store.Finish();
    const std::int64_t pages = random() % 100000;

    const std::u16string text =
        Utf16(service::BuildListingReply(store, rows, 7 * pages, pages, kOrigin));
    std::size_t row = 0;
    ForEachRecord(text, [&](const RecordFields& record) {
      ASSERT_LT(row, entries.size());
      const CatalogueEntry& e = entries[row];
      const std::string fields[] = {e.category,
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
        EXPECT_EQ(read[k].name, Served(links[row][k].first, false));
        EXPECT_EQ(read[k].address, Served(links[row][k].second, true));
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
