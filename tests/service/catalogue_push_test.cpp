// The operator's way to push a catalogue to a running service: import into a
// new file beside the live one, then rename it over the live one.  The
// service loads it in the background, answering from the old one meanwhile.
// Under load, no request fails; every reply is one catalogue's whole, body
// and tag alike; once the new catalogue has answered once, every request sent
// after gets the new one; and nothing the clients kept from the old one gets
// 304 any more.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "decoded_body.h"
#include "loopback_socket.h"
#include "running_service.h"
#include "service/http/http_date.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

using testing::TagIdentity;

const std::string kTarget = kListing + "page=1&q=push";

// One exchange, placed among the others and the push by the order in which
// things happened (a counter all threads share), not by a clock.
struct Answer {
  std::int64_t sent = 0;
  std::int64_t received = 0;
  int status = 0;
  std::string tag;
  std::string body;  // decoded
};

void Import(const TempDir& dir, const std::string& db, const std::string& title) {
  const ProgramResult run =
      ImportLines(dir, db, "CSOL\t" + title + " push\tfree\t2090-01-01 00:00:00\t\t" + title + "\n",
                  title + ".tsv");
  ASSERT_EQ(run.exit_code, 0) << run.err;
}

// `count` entries whose titles are "`word` entry N", all of one time.
void ImportMany(const TempDir& dir, const std::string& db, const std::string& word, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    lines += "CSOL\t" + word + " entry " + n + "\tfree\t2090-01-01 00:00:00\t\t" + word + n + "\n";
  }
  const ProgramResult run = ImportLines(dir, db, lines, word + ".tsv");
  ASSERT_EQ(run.exit_code, 0) << run.err;
}

// Whether the log at `path` has a line holding `text` within ten seconds.
bool LogSays(const std::string& path, const std::string& text) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  do {
    std::ifstream log(path);
    for (std::string line; std::getline(log, line);) {
      if (line.find(text) != std::string::npos) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < until);
  return false;
}

std::string ReplyCacheEntries(int metrics_port) {
  const std::string body = testing::Get(metrics_port, "/metrics").body;
  const std::string name = "\nquorvel_catalogue_reply_cache_entries ";
  const std::size_t at = body.find(name);
  if (at == std::string::npos) return "(none)";
  return body.substr(at + name.size(), body.find('\n', at + 1) - at - name.size());
}

// The renamed file is loaded as soon as it is there, with no request to
// prompt it, and every reply the old catalogue left in the reply cache goes
// once the new one has taken over.
TEST(CataloguePushTest, TakesOverWithoutARequestAndLetsTheOldRepliesGo) {
  TempDir dir;
  const std::string live = dir.File("catalogue.sqlite3");
  ImportMany(dir, live, "old", 500);
  const int metrics_port = testing::FreeLoopbackPort();
  std::string error;
  auto service = ServiceProcess::Start(
      kService, {"--db", live, "--metrics", "127.0.0.1:" + std::to_string(metrics_port)},
      dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  for (int page = 1; page <= 4; ++page) {
    const HttpReply reply =
        testing::Get(service->port(), kListing + "page=" + std::to_string(page));
    ASSERT_NE(reply.body.find("old entry"), std::string::npos) << reply.head;
  }
  ASSERT_EQ(ReplyCacheEntries(metrics_port), "4");

  const std::string next = dir.File("catalogue.next.sqlite3");
  ImportMany(dir, next, "new", 500);
  ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);
  ASSERT_TRUE(LogSays(dir.File("log"), "loaded " + live + ": 500 entries"))
      << "not loaded without a request";
  EXPECT_NE(testing::Get(service->port(), kListing + "page=1").body.find("new entry"),
            std::string::npos);
  EXPECT_EQ(ReplyCacheEntries(metrics_port), "1") << "only the new page 1";
}

// While the next catalogue cannot be loaded yet (here a writer holds it), the
// old one answers, and no cache may keep its replies beyond that.
TEST(CataloguePushTest, RepliesOfACatalogueBeingReplacedAreNotForCaches) {
  TempDir dir;
  const std::string live = dir.File("catalogue.sqlite3");
  ImportMany(dir, live, "old", 500);
  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", live}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const int port = service->port();
  const std::string download = "/download/old7";
  const HttpReply before = testing::Get(port, kListing + "page=1");
  ASSERT_EQ(before.Header("Cache-Control"), "public, max-age=10");
  ASSERT_EQ(testing::Get(port, download).Header("Cache-Control"), "public, max-age=10");

  const std::string next = dir.File("catalogue.next.sqlite3");
  ImportMany(dir, next, "new", 500);
  {
    SqliteDatabase writer(next, SqliteDatabase::Mode::kReadWriteCreate);
    writer.Execute("BEGIN EXCLUSIVE");
    ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);
    ASSERT_TRUE(LogSays(dir.File("log"), "cannot load " + live)) << "no load tried";
    for (const std::string& target : {kListing + "page=1", download}) {
      const HttpReply during = testing::Get(port, target);
      EXPECT_EQ(during.status, 200) << target;
      EXPECT_EQ(TagIdentity(during.Header("ETag")), TagIdentity(before.Header("ETag"))) << target;
      EXPECT_EQ(during.Header("Cache-Control"), "no-cache") << target;
    }
    writer.Execute("COMMIT");
  }
  ASSERT_TRUE(LogSays(dir.File("log"), "loaded " + live + " again: 500 entries"));
  const HttpReply after = testing::Get(port, kListing + "page=1");
  EXPECT_NE(after.body.find("new entry"), std::string::npos);
  EXPECT_EQ(after.Header("Cache-Control"), "public, max-age=10");
}

TEST(CataloguePushTest, RenamedOverTheLiveFileUnderLoad) {
  signal(SIGPIPE, SIG_IGN);
  TempDir dir;
  const std::string live = dir.File("catalogue.sqlite3");
  Import(dir, live, "old");
  std::string error;
  auto service = ServiceProcess::Start(kService, {"--db", live}, dir.File("log"), &error);
  ASSERT_NE(service, nullptr) << error;
  const int port = service->port();

  std::atomic<std::int64_t> order{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<Answer> answers;
  const auto count = [&](const std::function<bool(const Answer&)>& which) {
    std::lock_guard lock(mutex);
    return std::count_if(answers.begin(), answers.end(), which);
  };
  // Until `enough` holds, ten seconds at most: the clients' pace is theirs.
  const auto wait_for = [&](const std::function<bool()>& enough) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!enough() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  std::vector<std::thread> clients;
  for (const std::string coding : {"", "Accept-Encoding: gzip\r\n", "Accept-Encoding: br\r\n"}) {
    clients.emplace_back([&, coding] {
      LoopbackConnection connection(port);
      while (!stop) {
        Answer answer;
        answer.sent = order++;
        connection.Send("GET " + kTarget + " HTTP/1.1\r\nHost: x\r\n" + coding + "\r\n");
        const HttpReply reply = connection.Read().value_or(HttpReply{});
        answer.received = order++;
        answer.status = reply.status;
        answer.tag = reply.Header("ETag");
        answer.body = Decoded(reply).value_or("(does not decode)");
        std::lock_guard lock(mutex);
        answers.push_back(std::move(answer));
        if (reply.status == 0) return;
      }
    });
  }
  wait_for([&] { return count([](const Answer&) { return true; }) >= 30; });

  const HttpReply old_reply = testing::Get(port, kTarget);
  ASSERT_EQ(old_reply.status, 200);
  const std::string old_tag = old_reply.Header("ETag");
  const std::string next = dir.File("catalogue.next.sqlite3");
  Import(dir, next, "new");
  // Written long ago, as a restored backup or a copy that kept its times may be.
  const timespec long_ago[2] = {{978307200, 0}, {978307200, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, next.c_str(), long_ago, 0), 0);
  // Times are sent in whole seconds: the push comes in a later one.
  const auto old_time = ParseHttpDate(old_reply.Header("Last-Modified"));
  ASSERT_TRUE(old_time.has_value());
  std::this_thread::sleep_until(*old_time + std::chrono::milliseconds(1100));
  const std::int64_t renaming = order++;
  ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);

  // The new catalogue takes over once its load is complete.
  const HttpReply fresh = testing::GetUntil(
      port, kTarget, [](const HttpReply& r) { return r.body.find("new push") != r.body.npos; });
  const std::int64_t taken_over = order++;
  ASSERT_NE(fresh.body.find("new push"), std::string::npos) << "no takeover within 10 s";
  const std::string new_identity = TagIdentity(fresh.Header("ETag"));
  ASSERT_NE(new_identity, TagIdentity(old_tag));
  wait_for([&] { return count([&](const Answer& a) { return a.sent > taken_over; }) >= 30; });
  stop = true;
  for (std::thread& client : clients) client.join();

  // The first reply from the new catalogue that anyone received: the takeover
  // had happened by then.
  std::int64_t first_new = taken_over;
  for (const Answer& answer : answers) {
    if (answer.body.find("new push") != std::string::npos) {
      first_new = std::min(first_new, answer.received);
    }
  }
  int old_ones = 0;
  int new_ones = 0;
  for (const Answer& answer : answers) {
    ASSERT_EQ(answer.status, 200) << "no request fails";
    const bool is_new = answer.body.find("new push") != std::string::npos;
    const bool is_old = answer.body.find("old push") != std::string::npos;
    ASSERT_NE(is_new, is_old) << answer.body;
    // Body and tag from one catalogue, whichever it is.
    EXPECT_EQ(TagIdentity(answer.tag), is_new ? new_identity : TagIdentity(old_tag)) << answer.body;
    if (answer.received < renaming) {
      EXPECT_TRUE(is_old) << "answered before the push";
    }
    if (answer.sent > first_new) {
      EXPECT_TRUE(is_new) << "sent after the takeover";
    }
    (is_new ? new_ones : old_ones)++;
  }
  EXPECT_GE(old_ones, 30);
  EXPECT_GE(new_ones, 30);

  // Nothing the client kept from before gets a 304: neither the old tag nor
  // the old time, though the new file was written earlier.
  LoopbackConnection connection(port);
  for (const std::string& condition :
       {"If-None-Match: " + old_tag, "If-Modified-Since: " + old_reply.Header("Last-Modified")}) {
    connection.Send("GET " + kTarget + " HTTP/1.1\r\nHost: x\r\n" + condition + "\r\n\r\n");
    const HttpReply revalidated = connection.Read().value_or(HttpReply{});
    EXPECT_EQ(revalidated.status, 200) << condition;
    EXPECT_EQ(revalidated.Header("ETag"), fresh.Header("ETag"));
  }
}

}  // namespace
}  // namespace quorvel::service
