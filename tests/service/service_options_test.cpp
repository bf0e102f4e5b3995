#include <gtest/gtest.h>

#include "service/service_options.h"

namespace quorvel::service {
namespace {

std::variant<ServiceOptions, OptionsError> Parse(std::vector<const char*> arguments) {
  return ParseServiceOptions(arguments);
}

TEST(ServiceOptionsTest, DefaultsWithoutArguments) {
  const auto parsed = Parse({});
  ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed));
  const ServiceOptions& o = std::get<ServiceOptions>(parsed);
  EXPECT_EQ(o.port, 8731);
  EXPECT_EQ(o.bind, "127.0.0.1");
  EXPECT_EQ(o.db_path, "");
  EXPECT_EQ(o.page_size, 20);
  EXPECT_FALSE(o.import_file.has_value());
  EXPECT_EQ(o.max_skipped, 0);
  EXPECT_FALSE(o.help);
  EXPECT_EQ(o.limits.request_timeout_seconds, 10u);
  EXPECT_EQ(o.limits.max_head_bytes, 16u * 1024);
  EXPECT_EQ(o.caching.max_age_seconds, 10);
  EXPECT_EQ(o.caching.reply_cache_bytes, std::size_t{64} << 20);
  EXPECT_EQ(o.caching.origin, "");
  EXPECT_FALSE(o.metrics_address.has_value());
}

TEST(ServiceOptionsTest, TakesValuesInBothForms) {
  const auto parsed =
      Parse({"--port", "0", "--bind=0.0.0.0", "--db", "/tmp/x.sqlite3", "--page-size=7", "--import",
             "in.tsv", "--help", "--max-connections=50", "--max-connections-per-address", "5",
             "--request-timeout", "3", "--max-header-bytes=4096", "--max-headers", "20",
             "--max-skipped=3"});
  ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed));
  const ServiceOptions& o = std::get<ServiceOptions>(parsed);
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.bind, "0.0.0.0");
  EXPECT_EQ(o.db_path, "/tmp/x.sqlite3");
  EXPECT_EQ(o.page_size, 7);
  EXPECT_EQ(o.import_file, "in.tsv");
  EXPECT_EQ(o.max_skipped, 3);
  EXPECT_TRUE(o.help);
  EXPECT_EQ(o.limits.max_connections, 50u);
  EXPECT_EQ(o.limits.max_connections_per_address, 5u);
  EXPECT_EQ(o.limits.request_timeout_seconds, 3u);
  EXPECT_EQ(o.limits.max_head_bytes, 4096u);
  EXPECT_EQ(o.limits.max_headers, 20u);
}

TEST(ServiceOptionsTest, TakesTheCachingOptions) {
  const auto parsed = Parse({"--max-age", "0", "--reply-cache-mib=3", "--metrics", "[::1]:9731",
                             "--origin", "https://catalogue.example.org:8443"});
  ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed));
  const ServiceOptions& o = std::get<ServiceOptions>(parsed);
  EXPECT_EQ(o.caching.max_age_seconds, 0);
  EXPECT_EQ(o.caching.reply_cache_bytes, std::size_t{3} << 20);
  EXPECT_EQ(o.metrics_address, "::1");
  EXPECT_EQ(o.metrics_port, 9731);
  EXPECT_EQ(o.caching.origin, "https://catalogue.example.org:8443");
}

TEST(ServiceOptionsTest, RefusesBadCommandLines) {
  for (const auto& arguments :
       std::vector<std::vector<const char*>>{{"--port"},
                                             {"--port", "65536"},
                                             {"--port", "-1"},
                                             {"--port", "80x"},
                                             {"--page-size", "0"},
                                             {"--page-size", "1001"},
                                             {"--db="},
                                             {"--verbose"},
                                             {"extra"},
                                             {"--import"},
                                             {"--request-timeout", "0"},
                                             {"--max-headers", "x"},
                                             {"--max-header-bytes", "10"},
                                             {"--max-skipped", "1"},
                                             {"--import", "x", "--max-skipped", "-1"},
                                             {"--max-age", "-1"},
                                             {"--reply-cache-mib", "65537"},
                                             {"--metrics", "9731"},
                                             {"--metrics", "::1:9731"},
                                             {"--metrics", "127.0.0.1:8731"},
                                             {"--origin", "ftp://host"},
                                             {"--origin", "https://host/path"}}) {
    EXPECT_TRUE(std::holds_alternative<OptionsError>(Parse(arguments))) << arguments[0];
  }
}

TEST(ServiceOptionsTest, DefaultDatabasePathFollowsXdg) {
  EXPECT_EQ(DefaultDatabasePath("/data", "/home/u"), "/data/quorvel/catalogue.sqlite3");
  EXPECT_EQ(DefaultDatabasePath("relative", "/home/u"),
            "/home/u/.local/share/quorvel/catalogue.sqlite3");
  EXPECT_EQ(DefaultDatabasePath(nullptr, "/home/u"),
            "/home/u/.local/share/quorvel/catalogue.sqlite3");
  EXPECT_EQ(DefaultDatabasePath(nullptr, nullptr), "");
  EXPECT_EQ(DefaultDatabasePath("", ""), "");
}

}  // namespace
}  // namespace quorvel::service
