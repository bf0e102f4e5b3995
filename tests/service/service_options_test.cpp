#include <gtest/gtest.h>

#include "catalogue-service/service_options.h"

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
  EXPECT_FALSE(o.help);
}

TEST(ServiceOptionsTest, TakesValuesInBothForms) {
  const auto parsed = Parse({"--port", "0", "--bind=0.0.0.0", "--db", "/tmp/x.sqlite3",
                             "--page-size=7", "--import", "in.tsv", "--help"});
  ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed));
  const ServiceOptions& o = std::get<ServiceOptions>(parsed);
  EXPECT_EQ(o.port, 0);
  EXPECT_EQ(o.bind, "0.0.0.0");
  EXPECT_EQ(o.db_path, "/tmp/x.sqlite3");
  EXPECT_EQ(o.page_size, 7);
  EXPECT_EQ(o.import_file, "in.tsv");
  EXPECT_TRUE(o.help);
}

TEST(ServiceOptionsTest, RefusesBadCommandLines) {
  for (const auto& arguments : std::vector<std::vector<const char*>>{{"--port"},
                                                                     {"--port", "65536"},
                                                                     {"--port", "-1"},
                                                                     {"--port", "80x"},
                                                                     {"--page-size", "0"},
                                                                     {"--page-size", "1001"},
                                                                     {"--db="},
                                                                     {"--verbose"},
                                                                     {"extra"},
                                                                     {"--import"}}) {
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
