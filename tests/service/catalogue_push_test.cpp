// The operator's way to push a catalogue to a running service: import into a
// new file beside the live one, then rename it over the live one.  Under
// load, no request fails, and every request sent after the rename is
// answered from the new catalogue, under a new entity tag; the old tag no
// longer gets 304.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "loopback_connection.h"
#include "service/http/http_date.h"
#include "service_process.h"

namespace quorvel::service {
namespace {

using testing::HttpReply;
using testing::LoopbackConnection;
using testing::RunProgram;
using testing::ServiceProcess;
using testing::TempDir;

const std::string kService = CATALOGUE_SERVICE_PATH;
const std::string kTarget = "/adminphp/admin_upload.php?page=1&q=push";

struct Answer {
  bool sent_after_rename;
  int status;
  std::string tag;
  std::string body;
};

void Import(const TempDir& dir, const std::string& db, const std::string& title) {
  const std::string tsv = dir.File(title + ".tsv");
  std::ofstream(tsv, std::ios::binary)
      << "CSOL\t" << title << " push\tfree\t2090-01-01 00:00:00\t\t" << title << "\n";
  const auto run = RunProgram(kService, {"--db", db, "--import", tsv});
  ASSERT_EQ(run.exit_code, 0) << run.err;
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

  std::atomic<bool> renamed{false};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::vector<Answer> answers;
  std::vector<std::thread> clients;
  for (const std::string coding : {"", "Accept-Encoding: gzip\r\n", "Accept-Encoding: br\r\n"}) {
    clients.emplace_back([&, coding] {
      LoopbackConnection connection(port);
      while (!stop) {
        const bool after = renamed;
        connection.Send("GET " + kTarget + " HTTP/1.1\r\nHost: x\r\n" + coding + "\r\n");
        const HttpReply reply = connection.Read().value_or(HttpReply{});
        std::lock_guard lock(mutex);
        answers.push_back({after, reply.status, reply.Header("ETag"), reply.body});
        if (reply.status == 0) return;
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const HttpReply old_reply = testing::Get(port, kTarget);
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
  ASSERT_EQ(std::rename(next.c_str(), live.c_str()), 0);
  renamed = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stop = true;
  for (std::thread& client : clients) client.join();

  const HttpReply fresh = testing::Get(port, kTarget);
  ASSERT_NE(fresh.body.find("new push"), std::string::npos) << fresh.body;
  ASSERT_NE(fresh.Header("ETag"), old_tag);
  int before = 0;
  int after = 0;
  for (const Answer& answer : answers) {
    ASSERT_EQ(answer.status, 200) << "no request fails";
    (answer.sent_after_rename ? after : before)++;
    if (!answer.sent_after_rename) continue;
    EXPECT_EQ(answer.body.find("old push"), std::string::npos);
    EXPECT_NE(answer.tag, old_tag);
    EXPECT_EQ(answer.tag.substr(0, answer.tag.find('.')),
              fresh.Header("ETag").substr(0, fresh.Header("ETag").find('.')))
        << "the new catalogue's identity";
  }
  EXPECT_GT(before, 10);
  EXPECT_GT(after, 10);

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
