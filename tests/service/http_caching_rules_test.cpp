// The rules behind replies that caches can hold, each at its lowest level:
// which coding a client gets, when a conditional request gets 304, how HTTP
// dates are read, that brotli bodies are the library's own, and that the
// reply cache keeps to its limit.
#include <brotli/encode.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "service/http/compressed_reply_cache.h"
#include "service/http/compression.h"
#include "service/http/conditional_reply.h"
#include "service/http/content_coding.h"
#include "service/http/http_date.h"

namespace quorvel::service {
namespace {

using std::chrono::seconds;

TEST(ContentCodingTest, FollowsTheClientsQualities) {
  struct Case {
    const char* accept_encoding;  // null: not sent
    ContentCoding expected;
  };
  const Case cases[] = {
      {nullptr, ContentCoding::kIdentity},
      {"", ContentCoding::kIdentity},
      {"gzip", ContentCoding::kGzip},
      {"x-gzip", ContentCoding::kGzip},
      {"GZIP, deflate", ContentCoding::kGzip},
      {"gzip, deflate, br", ContentCoding::kBrotli},
      {"gzip;q=1.0, br;q=0.5", ContentCoding::kGzip},
      {"gzip ; q=0.5 , br ; Q=0.9", ContentCoding::kBrotli},
      {"br;q=0, gzip", ContentCoding::kGzip},
      {"gzip;q=0", ContentCoding::kIdentity},
      {"*", ContentCoding::kBrotli},
      {"*;q=0.1, br;q=0", ContentCoding::kGzip},
      {"*;q=0", ContentCoding::kIdentity},
      {"identity", ContentCoding::kIdentity},
      {"gzip;q=0.5, identity", ContentCoding::kIdentity},
      {"gzip;q=0.5", ContentCoding::kGzip},
      {"deflate, zstd", ContentCoding::kIdentity},
      {"gzip;q=2", ContentCoding::kIdentity},
      {"gzip;q=0.5x, br;q=0.0001", ContentCoding::kIdentity},
      {"gzip;level=9", ContentCoding::kIdentity},
      {",,, ;q=1, gzip", ContentCoding::kGzip},
      {"br, br;q=0", ContentCoding::kIdentity},
      {"gzip;q=0, br;q=0.5, x-gzip", ContentCoding::kBrotli},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseCoding(c.accept_encoding), c.expected)
        << (c.accept_encoding != nullptr ? c.accept_encoding : "(none)");
  }
}

TEST(ConditionalReplyTest, AnswersNotModifiedOnlyForTheSameReply) {
  const std::string tag =
      ConditionalReply::EntityTag("catalogue-1", "page 1", ContentCoding::kGzip);
  const SystemTime modified = SystemTime(seconds(784111777));  // Sun, 06 Nov 1994 08:49:37 GMT
  struct Case {
    const char* name;
    std::string if_none_match;  // empty: not sent
    const char* if_modified_since;
    bool expected;
  };
  const Case cases[] = {
      {"same tag", tag, nullptr, true},
      {"weak form of it", "W/" + tag, nullptr, true},
      {"the quickly compressed body's",
       ConditionalReply::EntityTag("catalogue-1", "page 1", ContentCoding::kGzip, /*weak=*/true),
       nullptr, true},
      {"among others", "\"a\", W/\"b,c\" ," + tag, nullptr, true},
      {"any", "*", nullptr, true},
      {"the identity body's tag",
       ConditionalReply::EntityTag("catalogue-1", "page 1", ContentCoding::kIdentity), nullptr,
       false},
      {"another catalogue's",
       ConditionalReply::EntityTag("catalogue-2", "page 1", ContentCoding::kGzip), nullptr, false},
      {"another page's", ConditionalReply::EntityTag("catalogue-1", "page 2", ContentCoding::kGzip),
       nullptr, false},
      {"unquoted", tag.substr(1, tag.size() - 2), nullptr, false},
      {"tag wins over the date", "\"a\"", "Sun, 06 Nov 1994 08:49:37 GMT", false},
      {"same second", "", "Sun, 06 Nov 1994 08:49:37 GMT", true},
      {"later", "", "Mon, 07 Nov 1994 00:00:00 GMT", true},
      {"a second earlier", "", "Sun, 06 Nov 1994 08:49:36 GMT", false},
      {"unreadable date", "", "yesterday", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        ConditionalReply::NotModified(c.if_none_match.empty() ? nullptr : c.if_none_match.c_str(),
                                      c.if_modified_since, tag, modified),
        c.expected)
        << c.name;
  }
  EXPECT_FALSE(
      ConditionalReply::NotModified(nullptr, "Mon, 07 Nov 1994 00:00:00 GMT", tag, std::nullopt))
      << "no date to compare with";
  // The request's part is the first 128 bits of its SHA-256 ("abc": the
  // standard's own example), so that no one can find two requests with one tag.
  EXPECT_EQ(ConditionalReply::EntityTag("catalogue-1", "abc", ContentCoding::kBrotli),
            "\"catalogue-1.ba7816bf8f01cfea414140de5dae2223.br\"");
  EXPECT_EQ(ConditionalReply::CacheControl(10), "public, max-age=10");
  EXPECT_EQ(ConditionalReply::CacheControl(0), "no-cache");
  EXPECT_EQ(ConditionalReply::CacheControl(10, /*shared=*/false), "private, max-age=10");
  EXPECT_EQ(ConditionalReply::CacheControl(0, /*shared=*/false), "no-cache");
}

TEST(HttpDateTest, ReadsTheThreeFormsAndWritesOne) {
  const SystemTime moment = SystemTime(seconds(784111777));
  EXPECT_EQ(FormatHttpDate(moment + std::chrono::milliseconds(999)),
            "Sun, 06 Nov 1994 08:49:37 GMT");
  struct Case {
    const char* text;
    std::optional<SystemTime> expected;
  };
  const Case cases[] = {
      {"Sun, 06 Nov 1994 08:49:37 GMT", moment},
      {"Sunday, 06-Nov-94 08:49:37 GMT", moment},
      {"Sun Nov  6 08:49:37 1994", moment},
      {"Thu, 29 Feb 2024 23:59:59 GMT", SystemTime(seconds(1709251199))},
      {"Sun, 06 Nov 1994 08:49:37 UTC", std::nullopt},
      {"Sun, 06 Nov 8376 08:49:37 GMT", std::nullopt},
      {"Sun, 31 Nov 1994 08:49:37 GMT", std::nullopt},
      {"Sun, 06 Nov 1994 24:00:00 GMT", std::nullopt},
      {"Sun, 06 Foo 1994 08:49:37 GMT", std::nullopt},
      {"Sun, 06 Nov 1994 08:49:37 GMT trailing", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHttpDate(c.text), c.expected) << c.text;
}

struct Sized {
  std::size_t bytes;
  std::size_t Bytes() const { return bytes; }
};

// What BrotliEncoderCompress() makes of `text`, in the smallest window that
// holds it, as the service asks.
std::string LibraryBrotli(const std::string& text, int quality) {
  int bits = 10;
  while (bits < 22 && (std::size_t{1} << bits) - 16 < text.size()) ++bits;
  std::size_t size = BrotliEncoderMaxCompressedSize(text.size());
  std::string out(size, '\0');
  EXPECT_EQ(BrotliEncoderCompress(quality, bits, BROTLI_MODE_TEXT, text.size(),
                                  reinterpret_cast<const std::uint8_t*>(text.data()), &size,
                                  reinterpret_cast<std::uint8_t*>(out.data())),
            BROTLI_TRUE);
  out.resize(size);
  return out;
}

TEST(CompressionTest, BrotliBodiesAreTheLibrarysOneShotBytes) {
  std::string page;
  for (int row = 0; page.size() < 300'000; ++row) {
    const std::string field = "\x02";
    page += "穿越火线" + field + "自瞄助手 v2." + std::to_string(row % 20) + field + "免费" +
            field + "2012-0" + std::to_string(row % 9 + 1) + "-01" + field +
            "本地下载/*/http://h/download/" + std::to_string(row) + "/**/" + field +
            std::to_string(row) + "\x01";
  }
  struct Case {
    std::size_t size;
    CompressionEffort effort;
    int quality;
  };
  for (const Case& c :
       {Case{0, CompressionEffort::kQuick, 0}, Case{1, CompressionEffort::kQuick, 0},
        Case{4'000, CompressionEffort::kQuick, 0}, Case{4'000, CompressionEffort::kThorough, 5},
        Case{300'000, CompressionEffort::kQuick, 0},
        Case{300'000, CompressionEffort::kThorough, 5}}) {
    const std::string text = page.substr(0, c.size);
    const std::string expected = LibraryBrotli(text, c.quality);
    // Twice on one thread, whose memory for the encoder is then used again,
    // and once on another.
    EXPECT_EQ(Compress(ContentCoding::kBrotli, text, c.effort), expected) << c.size;
    EXPECT_EQ(Compress(ContentCoding::kBrotli, text, c.effort), expected) << c.size;
    std::string elsewhere;
    std::thread([&] { elsewhere = Compress(ContentCoding::kBrotli, text, c.effort); }).join();
    EXPECT_EQ(elsewhere, expected) << c.size;
  }
}

TEST(CompressedReplyCacheTest, StaysUnderItsLimitDroppingTheLeastRecentlyUsed) {
  using Cache = CompressedReplyCache<Sized>;
  const std::size_t limit = 64 * 1024;
  Cache cache(limit);
  const std::size_t value = 1000;
  // Enough for every shard to overflow many times.
  for (int i = 0; i < 5000; ++i) {
    cache.Insert("key " + std::to_string(i), std::make_shared<Sized>(Sized{value}));
    if (i % 3 == 0) {
      ASSERT_NE(cache.Find("key 0"), nullptr) << "kept in use, so kept, at " << i;
    }
    ASSERT_LE(cache.bytes(), limit);
  }
  EXPECT_EQ(cache.Find("key 1"), nullptr);
  EXPECT_NE(cache.Find("key 4999"), nullptr);
  EXPECT_GT(cache.entries(), 0u);
  EXPECT_LE(cache.entries() * (value + Cache::kEntryOverhead), limit);
  // Larger than a shard's share: never kept.
  cache.Insert("huge", std::make_shared<Sized>(Sized{limit}));
  EXPECT_EQ(cache.Find("huge"), nullptr);
  // Replacing a key counts it once.
  const std::size_t before = cache.bytes();
  cache.Insert("key 4999", std::make_shared<Sized>(Sized{value}));
  EXPECT_EQ(cache.bytes(), before);
}

// The scope is the catalogue a reply came from: once another has taken over,
// its replies go, and a request still answering from it keeps none.
TEST(CompressedReplyCacheTest, KeepsOnlyTheScopeOfTheCatalogueThatAnswers) {
  CompressedReplyCache<Sized> cache(64 * 1024);
  const auto value = std::make_shared<Sized>(Sized{100});
  for (const std::string key : {"old\na", "old\nb", "new\na", "\n/page"}) cache.Insert(key, value);
  cache.KeepOnlyScope("new");
  EXPECT_EQ(cache.Find("old\na"), nullptr);
  EXPECT_EQ(cache.Find("old\nb"), nullptr);
  EXPECT_NE(cache.Find("new\na"), nullptr);
  EXPECT_NE(cache.Find("\n/page"), nullptr) << "content of no catalogue stays";
  EXPECT_EQ(cache.entries(), 2u);
  EXPECT_EQ(cache.bytes(), 5 + 6 + 2 * (100 + CompressedReplyCache<Sized>::kEntryOverhead));
  cache.Insert("old\nc", value);
  EXPECT_EQ(cache.Find("old\nc"), nullptr);
}

}  // namespace
}  // namespace quorvel::service
