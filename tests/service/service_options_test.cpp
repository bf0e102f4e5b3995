#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "service/service_options.h"

namespace quorvel::service {
namespace {

std::variant<ServiceOptions, OptionsError> Parse(std::vector<const char*> arguments) {
  return ParseServiceOptions(arguments);
}

// Every field, one a line, so that a difference names the field.
std::string Fields(const std::variant<ServiceOptions, OptionsError>& parsed) {
  if (const auto* error = std::get_if<OptionsError>(&parsed)) return "error: " + error->message;
  const ServiceOptions& o = std::get<ServiceOptions>(parsed);
  std::ostringstream out;
  out << "port " << o.port << "\nbind " << o.bind << "\ndb " << o.db_path << "\npage size "
      << o.page_size << "\nimport " << o.import_file.value_or("(none)") << "\nremove";
  for (const std::string& id : o.remove_ids) out << " [" << id << "]";
  out << "\nexport " << o.export_file.value_or("(none)") << "\nmax skipped " << o.max_skipped
      << "\nhelp " << o.help << "\nconnections " << o.limits.max_connections << "\nper address "
      << o.limits.max_connections_per_address << "\nrequest timeout "
      << o.limits.request_timeout_seconds << "\nhead bytes " << o.limits.max_head_bytes
      << "\nheaders " << o.limits.max_headers << "\nmax age " << o.caching.max_age_seconds
      << "\nreply cache " << o.caching.reply_cache_bytes << "\norigin " << o.caching.origin
      << "\nmetrics " << o.metrics_address.value_or("(none)") << " " << o.metrics_port << "\n";
  return out.str();
}

TEST(ServiceOptionsTest, DefaultsWithoutArguments) {
  EXPECT_EQ(Fields(Parse({})),
            "port 8731\nbind 127.0.0.1\ndb \npage size 20\nimport (none)\nremove\nexport (none)\n"
            "max skipped 0\n"
            "help 0\nconnections 4096\nper address 1024\nrequest timeout 10\nhead bytes 16384\n"
            "headers 100\nmax age 10\nreply cache 67108864\norigin \nmetrics (none) 0\n");
}

// `arguments` give the defaults with `changes` made.
void ExpectChanges(std::vector<const char*> arguments,
                   const std::function<void(ServiceOptions&)>& changes) {
  ServiceOptions expected;
  changes(expected);
  EXPECT_EQ(Fields(Parse(arguments)), Fields(expected)) << arguments[0];
}

TEST(ServiceOptionsTest, TakesValuesInBothForms) {
  ExpectChanges({"--port", "0", "--bind=0.0.0.0", "--db", "/tmp/x.sqlite3", "--page-size=7",
                 "--import", "in.tsv", "--help", "--max-connections=50",
                 "--max-connections-per-address", "5", "--request-timeout", "3",
                 "--max-header-bytes=4096", "--max-headers", "20", "--max-skipped=3"},
                [](ServiceOptions& o) {
                  o.port = 0;
                  o.bind = "0.0.0.0";
                  o.db_path = "/tmp/x.sqlite3";
                  o.page_size = 7;
                  o.import_file = "in.tsv";
                  o.max_skipped = 3;
                  o.help = true;
                  o.limits = {50, 5, 3, 4096, 20};
                });
}

// --remove takes every argument up to the next option, and more after "=".
TEST(ServiceOptionsTest, TakesTheOperatorsCommands) {
  ExpectChanges({"--remove", "a", "b c", "--db", "x", "--remove=-d", "e"}, [](ServiceOptions& o) {
    o.remove_ids = {"a", "b c", "-d", "e"};
    o.db_path = "x";
  });
  ExpectChanges({"--export", "-"}, [](ServiceOptions& o) { o.export_file = "-"; });
}

TEST(ServiceOptionsTest, TakesTheCachingOptions) {
  ExpectChanges({"--max-age", "0", "--reply-cache-mib=3", "--metrics", "[::1]:9731", "--origin",
                 "https://catalogue.example.org:8443"},
                [](ServiceOptions& o) {
                  o.caching = {0, std::size_t{3} << 20, "https://catalogue.example.org:8443"};
                  o.metrics_address = "::1";
                  o.metrics_port = 9731;
                });
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
                                             {"--remove"},
                                             {"--export="},
                                             {"--import", "x", "--remove", "y"},
                                             {"--export", "x", "--import", "y"},
                                             {"--remove", "x", "--export", "y"},
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

TEST(ServiceOptionsTest, WarnsOfMetricsOnEveryAddress) {
  struct Case {
    const char* listen;
    bool warned;
  };
  for (const Case& c :
       {Case{"0.0.0.0:9731", true}, Case{"[::]:9731", true}, Case{"127.0.0.1:9731", false},
        Case{"[::1]:9731", false}, Case{"10.0.0.6:9731", false}}) {
    const auto parsed = Parse({"--metrics", c.listen});
    ASSERT_TRUE(std::holds_alternative<ServiceOptions>(parsed)) << c.listen;
    const std::vector<std::string>& warnings = std::get<ServiceOptions>(parsed).warnings;
    EXPECT_EQ(warnings.size(), c.warned ? 1u : 0u) << c.listen;
    if (c.warned) {
      EXPECT_NE(warnings[0].find("every address"), std::string::npos) << warnings[0];
    }
  }
  EXPECT_TRUE(std::get<ServiceOptions>(Parse({})).warnings.empty());
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
