#include "client/catalogue/curl/qt/qt_transfer.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include "reply_builder.h"
#include "text_checks.h"

#include <string>
#include <string_view>

#include "scripted_http_server.h"

namespace quorvel::catalogue {
namespace {

using quorvel::testing::Contains;
using quorvel::testing::Utf8;

TransferResult Open(QtTransfer& transfer, const QString& address) {
  return transfer.OpenURL(address.toStdU16String());
}

using namespace std::chrono_literals;
using namespace std::string_view_literals;
using quorvel::testing::HttpChunk;
using quorvel::testing::HttpResponse;
using quorvel::testing::ScriptedHttpServer;
using Connection = ScriptedHttpServer::Connection;
using Failure = TransferResult::Failure;

// Short limits so that the stalls and timeouts end quickly.
QtTransfer::Limits TestLimits() {
  QtTransfer::Limits limits;
  limits.stall = 400ms;
  limits.total = 1500ms;
  limits.max_body_bytes = 64 * 1024;
  return limits;
}

// "decoded listing" in each coding a reply may use.
constexpr std::string_view kGzipped =
    "\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\x4B\x49\x4D\xCE\x4F\x49\x4D\x51\xC8\xC9\x2C"
    "\x2E\xC9\xCC\x4B\x07\x00\x10\x88\x46\x87\x0F\x00\x00\x00"sv;
constexpr std::string_view kDeflated =
    "\x78\x9C\x4B\x49\x4D\xCE\x4F\x49\x4D\x51\xC8\xC9\x2C\x2E\xC9\xCC\x4B\x07\x00\x2E\x65"
    "\x05\xE3"sv;
constexpr std::string_view kBrotli =
    "\x0B\x07\x80\x64\x65\x63\x6F\x64\x65\x64\x20\x6C\x69\x73\x74\x69\x6E\x67\x03"sv;

std::string Encoded(std::string_view coding, std::string_view body) {
  return HttpResponse(200, body, "Content-Encoding: " + std::string(coding) + "\r\n");
}

const std::string kChunkedHead =
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";

struct FailureCase {
  const char* name;
  ScriptedHttpServer::Script script;
  Failure failure;
};

class TransferFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(TransferFailureTest, IsReportedAsItsKind) {
  ScriptedHttpServer server(GetParam().script);
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/adminphp/admin_upload.php?page=1"));
  EXPECT_EQ(result.failure, GetParam().failure) << Utf8(result.reason);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(result.body.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferFailureTest,
    ::testing::Values(
        FailureCase{
            "status_500",
            [](Connection& c, const std::string&) { c.Send(HttpResponse(500, "internal error")); },
            Failure::kHttpStatus},
        FailureCase{"status_404",
                    [](Connection& c, const std::string&) { c.Send(HttpResponse(404, "")); },
                    Failure::kHttpStatus},
        FailureCase{"closed_before_length",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
                      c.Send(std::string(100, 'x'));
                    },
                    Failure::kTruncated},
        FailureCase{"reset_mid_body",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
                      c.Send(std::string(100, 'x'));
                      c.Pause(100ms);
                      c.Reset();
                    },
                    Failure::kTruncated},
        FailureCase{"reset_cuts_close_delimited_body",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
                      c.Send(std::string(100, 'x'));
                      c.Pause(100ms);
                      c.Reset();
                    },
                    Failure::kTruncated},
        FailureCase{"chunked_without_final_chunk",
                    [](Connection& c, const std::string&) {
                      c.Send(kChunkedHead + HttpChunk("first part"));
                    },
                    Failure::kTruncated},
        FailureCase{"stall_before_status", [](Connection& c, const std::string&) { c.Pause(5s); },
                    Failure::kStalled},
        FailureCase{"stall_mid_body",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nabc");
                      c.Pause(5s);
                    },
                    Failure::kStalled},
        FailureCase{"trickle_never_stalls_but_times_out",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
                      for (int i = 0; i < 100 && !c.client_gone(); ++i) {
                        c.Send("x");
                        c.Pause(100ms);
                      }
                    },
                    Failure::kTimedOut},
        FailureCase{"announced_too_large",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n");
                      c.Pause(5s);
                    },
                    Failure::kTooLarge},
        FailureCase{"unannounced_too_large",
                    [](Connection& c, const std::string&) {
                      c.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
                      const std::string block(8192, 'y');
                      for (int i = 0; i < 1000 && !c.client_gone(); ++i) c.Send(block);
                    },
                    Failure::kTooLarge},
        FailureCase{"chunked_too_large",
                    [](Connection& c, const std::string&) {
                      c.Send(kChunkedHead);
                      const std::string chunk = HttpChunk(std::string(8192, 'z'));
                      for (int i = 0; i < 1000 && !c.client_gone(); ++i) c.Send(chunk);
                    },
                    Failure::kTooLarge},
        FailureCase{"decompression_bomb",
                    [](Connection& c, const std::string&) {
                      // A mebibyte of zeros in about a kibibyte, zlib-wrapped.
                      const QByteArray packed = qCompress(QByteArray(1 << 20, '\0')).mid(4);
                      c.Send(Encoded("deflate", packed.toStdString()));
                    },
                    Failure::kTooLarge},
        FailureCase{"redirect_loop",
                    [](Connection& c, const std::string& target) {
                      c.Send(HttpResponse(302, "", "Location: " + target + "\r\n"));
                    },
                    Failure::kTooManyRedirects}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

struct BodyCase {
  const char* name;
  ScriptedHttpServer::Script script;
  const char* body;
};

class TransferBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(TransferBodyTest, ArrivesWhole) {
  ScriptedHttpServer server(GetParam().script);
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/adminphp/admin_upload.php?page=1"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.body, std::string(GetParam().body));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferBodyTest,
    ::testing::Values(
        BodyCase{"chunked_with_extension_and_trailer",
                 [](Connection& c, const std::string&) {
                   c.Send(kChunkedHead + "3;name=x\r\nabc\r\n" + HttpChunk("def") +
                          "0\r\nX-Trailer: 1\r\n\r\n");
                 },
                 "abcdef"},
        BodyCase{"until_close_without_length",
                 [](Connection& c, const std::string&) {
                   c.Send("HTTP/1.0 200 OK\r\n\r\nold style body");
                 },
                 "old style body"},
        BodyCase{"interim_continue_first",
                 [](Connection& c, const std::string&) {
                   c.Send("HTTP/1.1 100 Continue\r\n\r\n" + HttpResponse(200, "after"));
                 },
                 "after"},
        BodyCase{"empty_body",
                 [](Connection& c, const std::string&) { c.Send(HttpResponse(200, "")); }, ""},
        BodyCase{"gzip",
                 [](Connection& c, const std::string&) { c.Send(Encoded("gzip", kGzipped)); },
                 "decoded listing"},
        BodyCase{"deflate",
                 [](Connection& c, const std::string&) { c.Send(Encoded("deflate", kDeflated)); },
                 "decoded listing"},
        BodyCase{"brotli",
                 [](Connection& c, const std::string&) { c.Send(Encoded("br", kBrotli)); },
                 "decoded listing"},
        BodyCase{"gzip_then_chunked_transfer_coding",
                 [](Connection& c, const std::string&) {
                   c.Send(
                       "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n"
                       "Connection: close\r\n\r\n" +
                       HttpChunk(kGzipped) + "0\r\n\r\n");
                 },
                 "decoded listing"},
        BodyCase{"relative_redirect",
                 [](Connection& c, const std::string& target) {
                   c.Send(target == "/moved" ? HttpResponse(200, "moved here")
                                             : HttpResponse(301, "", "Location: /moved\r\n"));
                 },
                 "moved here"},
        BodyCase{"head_in_pieces",
                 [](Connection& c, const std::string&) {
                   const std::string response = HttpResponse(200, "slow head");
                   for (const char ch : response) {
                     c.Send(std::string(1, ch));
                     c.Pause(1ms);
                   }
                 },
                 "slow head"}),
    [](const ::testing::TestParamInfo<BodyCase>& info) { return std::string(info.param.name); });

struct UnreadableCase {
  const char* name;
  const char* response;
};

// Over the 64 KiB of head a reply may have: in many lines, and in one line
// past what libcurl takes.
const std::string kLongHeaderLine =
    "HTTP/1.1 200 OK\r\nX-Filler: " + std::string(120000, 'h') + "\r\n\r\n";
const std::string kLongHead = [] {
  std::string head = "HTTP/1.1 200 OK\r\n";
  while (head.size() < 70000) head += "X-Filler: " + std::string(100, 'h') + "\r\n";
  return head + "\r\n";
}();

class UnreadableReplyTest : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableReplyTest, IsAFailureWithAReason) {
  const std::string response = GetParam().response;
  ScriptedHttpServer server([&](Connection& c, const std::string&) { c.Send(response); });
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/"));
  EXPECT_EQ(result.failure, Failure::kOther);
  EXPECT_FALSE(result.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableReplyTest,
    ::testing::Values(
        UnreadableCase{"not_http", "SSH-2.0-OpenSSH\r\n\r\n"},
        UnreadableCase{"bad_length", "HTTP/1.1 200 OK\r\nContent-Length: ten\r\n\r\n0123456789"},
        UnreadableCase{"conflicting_lengths",
                       "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab"},
        UnreadableCase{"bad_chunk_size",
                       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n"},
        UnreadableCase{"redirect_off_the_web",
                       "HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\n\r\n"},
        UnreadableCase{"not_modified", "HTTP/1.1 304 Not Modified\r\n\r\n"},
        UnreadableCase{"closed_without_answer", ""},
        UnreadableCase{"head_too_long", kLongHead.c_str()},
        UnreadableCase{"header_line_too_long", kLongHeaderLine.c_str()}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) {
      return std::string(info.param.name);
    });

TEST(QtTransferTest, RefusedConnection) {
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, ScriptedHttpServer::RefusingUrl());
  EXPECT_EQ(result.failure, Failure::kRefused);
  EXPECT_FALSE(result.reason.empty());
}

TEST(QtTransferTest, BadAddressesFailWithoutAFetch) {
  QtTransfer transfer(TestLimits());
  for (const char* address : {"", "not an address", "file:///etc/passwd", "ftp://127.0.0.1/x"}) {
    const TransferResult result = Open(transfer, QString::fromUtf8(address));
    EXPECT_EQ(result.failure, Failure::kOther) << address;
    EXPECT_FALSE(result.reason.empty());
  }
}

TEST(QtTransferTest, WholeBodyWithLength) {
  const std::string body = "\xE7\xA9\xBF\x01?TtbBa?1?1";
  ScriptedHttpServer server(
      [&](Connection& c, const std::string&) { c.Send(HttpResponse(200, body)); });
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/adminphp/admin_upload.php?page=1"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.http_status, 200);
  EXPECT_EQ(result.body, body);
  EXPECT_EQ(server.targets(), std::vector<std::string>{"/adminphp/admin_upload.php?page=1"});
}

TEST(QtTransferTest, QueryIsSentAsGiven) {
  ScriptedHttpServer server(
      [](Connection& c, const std::string&) { c.Send(HttpResponse(200, "")); });
  QtTransfer transfer(TestLimits());
  const TransferResult result =
      Open(transfer, server.Url("/adminphp/admin_upload.php?page=1&q=%E7%A9%BF%20C%2B%2B"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(server.targets(),
            std::vector<std::string>{"/adminphp/admin_upload.php?page=1&q=%E7%A9%BF%20C%2B%2B"});
}

TEST(QtTransferTest, ChunkedBodyInSmallPiecesArrivesWhole) {
  // Pieces that split a three-byte character: the body is collected as bytes.
  const std::string text = "\xE7\xA9\xBF\xE8\xB6\x8A\x02x\x01?TtbBa?1?1";
  ScriptedHttpServer server([&](Connection& c, const std::string&) {
    c.Send(kChunkedHead);
    for (std::size_t i = 0; i < text.size(); i += 2) {
      c.Send(HttpChunk(text.substr(i, 2)));
      c.Pause(5ms);
    }
    c.Send("0\r\n\r\n");
  });
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.body, text);
}

TEST(QtTransferTest, BodyUpToTheLimitIsKept) {
  const std::string body(64 * 1024, 'b');
  ScriptedHttpServer server(
      [&](Connection& c, const std::string&) { c.Send(HttpResponse(200, body)); });
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.body.size(), body.size());
}

TEST(QtTransferTest, FiveRedirectsAreFollowedSixAreNot) {
  const auto chain = [](Connection& c, const std::string& target) {
    // /hop/N redirects to /hop/N-1; /hop/0 answers.
    const int n = std::stoi(target.substr(target.rfind('/') + 1));
    if (n == 0) {
      c.Send(HttpResponse(200, "arrived"));
    } else {
      c.Send(HttpResponse(302, "", "Location: /hop/" + std::to_string(n - 1) + "\r\n"));
    }
  };
  ScriptedHttpServer server(chain);
  QtTransfer transfer(TestLimits());
  const TransferResult five = Open(transfer, server.Url("/hop/5"));
  ASSERT_TRUE(five.ok()) << Utf8(five.reason);
  EXPECT_EQ(five.body, "arrived");
  const TransferResult six = Open(transfer, server.Url("/hop/6"));
  EXPECT_EQ(six.failure, Failure::kTooManyRedirects);
}

TEST(QtTransferTest, RedirectWithoutAPathAsksForTheRoot) {
  std::string origin;
  ScriptedHttpServer server([&](Connection& c, const std::string& target) {
    c.Send(target == "/start" ? HttpResponse(302, "", "Location: " + origin + "?x=1\r\n")
                              : HttpResponse(200, "root"));
  });
  origin = server.Url("").toStdString();
  QtTransfer transfer(TestLimits());
  const TransferResult result = Open(transfer, server.Url("/start"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  EXPECT_EQ(result.body, "root");
  EXPECT_EQ(server.targets(), (std::vector<std::string>{"/start", "/?x=1"}));
}

TEST(QtTransferTest, RunsAgainAfterAFailure) {
  int calls = 0;
  ScriptedHttpServer server([&](Connection& c, const std::string&) {
    c.Send(++calls == 1 ? HttpResponse(503, "") : HttpResponse(200, "fine"));
  });
  QtTransfer transfer(TestLimits());
  EXPECT_EQ(Open(transfer, server.Url("/")).failure, Failure::kHttpStatus);
  const TransferResult second = Open(transfer, server.Url("/"));
  EXPECT_TRUE(second.ok()) << Utf8(second.reason);
  EXPECT_EQ(second.body, "fine");
}

class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

// While a fetch waits: the window paints, the cursor is busy, and a click
// is dropped rather than fired once the fetch has returned.
TEST(QtTransferTest, WindowsPaintAndInputIsDroppedDuringTheFetch) {
  ScriptedHttpServer server([](Connection& c, const std::string&) {
    c.Pause(600ms);
    c.Send(HttpResponse(200, "late"));
  });
  PaintCounter window;
  window.resize(200, 100);
  QPushButton button(&window);
  button.setGeometry(10, 10, 80, 30);
  window.show();
  QCoreApplication::processEvents();
  QSignalSpy clicks(&button, &QPushButton::clicked);

  int paints_before = -1;
  int paints_during = -1;
  bool busy_cursor_seen = false;
  QTimer::singleShot(300, [&] { paints_during = window.paints; });
  QTimer::singleShot(100, [&] {
    paints_before = window.paints;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    busy_cursor_seen = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    const QPoint centre = button.rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, button.mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, button.mapToGlobal(centre),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&button, &press);
    QCoreApplication::sendEvent(&button, &release);
    window.update();
  });

  QtTransfer::Limits limits = TestLimits();
  limits.stall = 5s;
  limits.total = 10s;
  QtTransfer transfer(limits);
  const TransferResult result = Open(transfer, server.Url("/"));
  ASSERT_TRUE(result.ok()) << Utf8(result.reason);
  QCoreApplication::processEvents();
  EXPECT_TRUE(busy_cursor_seen);
  EXPECT_GT(paints_during, paints_before);
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // Once the fetch is over, clicks reach the button again.
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
}

}  // namespace
}  // namespace quorvel::catalogue
