// The WinHTTP transfer against the Linux scenario server: each misbehaviour
// comes back as its kind of failure with a sentence, good replies arrive
// whole, redirects are followed as far as allowed.

#include "client/catalogue/win32/winhttp_transfer.h"

#include <gtest/gtest.h>

#include <string>

#include "scenario_server.h"

namespace quorvel::catalogue {
namespace {

using namespace std::chrono_literals;
using Failure = TransferResult::Failure;
using quorvel::testing::ScenarioUrl;

// Short limits so that the stalls and time-outs end quickly.
TransferLimits TestLimits() {
  TransferLimits limits;
  limits.stall = 1000ms;
  limits.total = 3000ms;
  limits.max_body_bytes = 64 * 1024;
  return limits;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

class WinHttpTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ScenarioUrl(u"/").empty()) GTEST_SKIP() << "no scenario server (run_wine_test.sh starts one)";
  }
};

struct FailureCase {
  const char* route;
  Failure failure;
};

class TransferFailureTest : public WinHttpTransferTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TransferFailureTest, IsReportedAsItsKind) {
  WinHttpTransfer transfer(TestLimits());
  const std::u16string route(GetParam().route, GetParam().route + std::char_traits<char>::length(GetParam().route));
  const TransferResult result = transfer.OpenURL(ScenarioUrl(u"/" + route + u"?page=1"));
  EXPECT_EQ(result.failure, GetParam().failure) << Narrow(result.reason);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(result.body.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferFailureTest,
    ::testing::Values(FailureCase{"status_500", Failure::kHttpStatus},
                      FailureCase{"status_404", Failure::kHttpStatus},
                      FailureCase{"not_modified", Failure::kOther},
                      FailureCase{"closed_before_answer", Failure::kOther},
                      FailureCase{"reset_before_answer", Failure::kOther},
                      FailureCase{"not_http", Failure::kOther},
                      FailureCase{"closed_before_length", Failure::kTruncated},
                      FailureCase{"reset_mid_body", Failure::kTruncated},
                      FailureCase{"stall_before_status", Failure::kStalled},
                      FailureCase{"stall_mid_body", Failure::kStalled},
                      FailureCase{"trickle", Failure::kTimedOut},
                      FailureCase{"announced_too_large", Failure::kTooLarge},
                      FailureCase{"unannounced_too_large", Failure::kTooLarge},
                      FailureCase{"chunked_too_large", Failure::kTooLarge},
                      FailureCase{"redirect_loop", Failure::kTooManyRedirects}),
    [](const auto& info) { return std::string(info.param.route); });

struct BodyCase {
  const char16_t* target;
  const char* body;
};

class TransferBodyTest : public WinHttpTransferTest,
                         public ::testing::WithParamInterface<BodyCase> {};

TEST_P(TransferBodyTest, ArrivesWhole) {
  WinHttpTransfer transfer(TestLimits());
  const TransferResult result = transfer.OpenURL(ScenarioUrl(GetParam().target));
  ASSERT_TRUE(result.ok()) << Narrow(result.reason);
  EXPECT_EQ(result.http_status, 200);
  EXPECT_EQ(result.body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferBodyTest,
    ::testing::Values(
        BodyCase{u"/with_length", "decoded listing"}, BodyCase{u"/until_close", "decoded listing"},
        BodyCase{u"/chunked_in_pieces", "decoded listing"},
        // The query goes as it is given, percent signs and all.
        BodyCase{u"/adminphp/admin_upload.php?page=1&q=%E7%A9%BF",
                 "/adminphp/admin_upload.php?page=1&q=%E7%A9%BF"},
        BodyCase{u"/chain/5", "end of the chain"}, BodyCase{u"/redirect_to_root", "/?x=1"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(WinHttpTransferTest, SixRedirectsAreTooMany) {
  WinHttpTransfer transfer(TestLimits());
  const TransferResult result = transfer.OpenURL(ScenarioUrl(u"/chain/6"));
  EXPECT_EQ(result.failure, Failure::kTooManyRedirects);
  EXPECT_EQ(result.reason, u"服务器转向超过了 5 次。");
}

TEST_F(WinHttpTransferTest, RefusedConnection) {
  WinHttpTransfer transfer(TestLimits());
  const TransferResult result = transfer.OpenURL(
      u"http://" + quorvel::testing::FromEnvironment("QUORVEL_REFUSING_SERVER") + u"/");
  EXPECT_EQ(result.failure, Failure::kRefused);
  EXPECT_EQ(result.reason, u"服务器拒绝了连接。");
}

TEST_F(WinHttpTransferTest, SentencesNameTheLimits) {
  WinHttpTransfer transfer(TestLimits());
  EXPECT_EQ(transfer.OpenURL(ScenarioUrl(u"/stall_mid_body")).reason, u"服务器 1 秒没有任何回应。");
  EXPECT_EQ(transfer.OpenURL(ScenarioUrl(u"/trickle")).reason, u"回复在 3 秒内没有收完。");
  EXPECT_EQ(transfer.OpenURL(ScenarioUrl(u"/chunked_too_large")).reason,
            u"回复超过了 64 KiB 的上限。");
  EXPECT_EQ(transfer.OpenURL(ScenarioUrl(u"/status_500")).reason, u"服务器回答了错误 500。");
}

TEST(WinHttpTransfer, BadAddressesFailWithoutAFetch) {
  WinHttpTransfer transfer(TestLimits());
  for (const char16_t* address : {u"", u"ftp://127.0.0.1/", u"127.0.0.1/x", u"http:///x"}) {
    const TransferResult result = transfer.OpenURL(address);
    EXPECT_EQ(result.failure, Failure::kOther);
    EXPECT_EQ(result.reason, u"请求地址无效：" + std::u16string(address));
  }
}

TEST_F(WinHttpTransferTest, RunsAgainAfterAFailure) {
  WinHttpTransfer transfer(TestLimits());
  EXPECT_FALSE(transfer.OpenURL(ScenarioUrl(u"/status_404")).ok());
  const TransferResult result = transfer.OpenURL(ScenarioUrl(u"/with_length"));
  ASSERT_TRUE(result.ok()) << Narrow(result.reason);
  EXPECT_EQ(result.body, "decoded listing");
}

}  // namespace
}  // namespace quorvel::catalogue
