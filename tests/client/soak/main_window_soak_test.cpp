// The real main window, with the real Qt list and transfer, against a listing
// service that misbehaves in every way a network can: thousands of mixed
// clicks, each checked, and the memory compared before and after.

#include <QApplication>
#include <QTest>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "client/catalogue/curl/qt/qt_transfer.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/components/style_sheet_skin.h"
#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "misbehaving_listing.h"
#include "process_memory.h"
#include "soak_user.h"

namespace quorvel::soak {
namespace {

using std::chrono::milliseconds;

// The program's transfer, with the program's limits, except where the server
// is about to stall: there a short stall limit ends the wait, so that the
// soak costs seconds, not minutes.  Every other answer gets the program's
// whole patience, so a machine slowed by other work never turns a good page
// into a failure.
class PacedTransfer final : public catalogue::Transfer {
 public:
  explicit PacedTransfer(const MisbehavingListing& server) : server_(server) {}

  catalogue::TransferResult OpenURL(std::u16string_view address) override {
    catalogue::QtTransfer::Limits limits;
    if (server_.next_answer() == Answer::kStall) {
      limits.stall = milliseconds(300);
      limits.total = milliseconds(3000);
    }
    return catalogue::QtTransfer(limits).OpenURL(address);
  }

 private:
  const MisbehavingListing& server_;
};

constexpr int kDefaultClicks = 2000;
// Memory is first measured here, once caches and buffers have warmed up.
constexpr int kWarmUpClicks = 100;

// Builds that run far slower (the sanitizers) may ask for fewer clicks.
int SoakClicks() {
  bool ok = false;
  const int clicks = qEnvironmentVariableIntValue("QUORVEL_SOAK_CLICKS", &ok);
  return ok && clicks > kWarmUpClicks ? clicks : kDefaultClicks;
}

double MiB(std::int64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

TEST(MainWindowSoak, MixedClicksAgainstAMisbehavingServer) {
  const auto started = std::chrono::steady_clock::now();
  const int clicks = SoakClicks();

  MisbehavingListing server(std::chrono::minutes(20));
  ASSERT_TRUE(server.ok());
  // The program's own list, transfer and skin; what would reach outside the
  // test is recorded instead.
  shell::testing::TestComponents components(/*qt_list_view=*/true);
  components.make_transfer = [&] { return std::make_unique<PacedTransfer>(server); };
  components.make_skin = [] { return std::make_unique<shell::StyleSheetSkin>(); };
  const shell::ShellAddresses addresses =
      shell::AddressesForHosts(QStringLiteral("127.0.0.1:%1").arg(server.port()).toStdU16String(),
                               u"127.0.0.1:9", u"127.0.0.1:9");
  ASSERT_EQ(addresses.listing_base, server.BaseUrl());
  const QString program_folder = QStringLiteral(QUORVEL_SOURCE_DIR "/assets");

  shell::Main window(components, addresses, program_folder);
  ASSERT_TRUE(server.AnswerNextWith(Answer::kGood));
  window.StartUp();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QCoreApplication::processEvents();

  SoakUser user(window, server, components, program_folder);
  ASSERT_TRUE(user.Ready());
  ASSERT_EQ(window.ListedRows(), 20);
  user.CheckWindow();

  std::mt19937 click_choices(20240611u);
  std::mt19937 answer_choices(1811u);
  std::int64_t after_warm_up = 0;
  std::int64_t heap_after_warm_up = 0;
  for (int click = 1; click <= clicks && !::testing::Test::HasFailure(); ++click) {
    if (click == kWarmUpClicks) {
      // The same state as at the end: page 1 of a category, well answered.
      user.GoodCategoryClick(click % 18);
    } else {
      user.RandomClick(click_choices, answer_choices);
    }
    user.CheckWindow();
    if (click == kWarmUpClicks) {
      after_warm_up = ResidentBytesAfterTrim();
      heap_after_warm_up = LiveHeapBytes();
    }
  }
  ASSERT_FALSE(::testing::Test::HasFailure())
      << "stopped after " << user.tally().clicks << " clicks";

  // The window is still usable: a category click and a next page both work.
  user.GoodCategoryClick(7);
  user.CheckWindow();
  const catalogue::BrowsingSession& s = window.Session();
  EXPECT_EQ(window.ListedRows(), 20);
  EXPECT_TRUE(s.Notice().empty());
  EXPECT_EQ(s.PageNo(), 1);
  EXPECT_EQ(user.page_on_show(), 1);
  const std::int64_t after_soak = ResidentBytesAfterTrim();
  const std::int64_t heap_after_soak = LiveHeapBytes();
  user.GoodNextPageClick();
  user.CheckWindow();
  EXPECT_EQ(s.PageNo(), 2);
  EXPECT_EQ(user.page_on_show(), 2);
  EXPECT_EQ(s.List3().size(), window.ListedRows());

  const SoakTally& tally = user.tally();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("soak: %d clicks (%d loads, %d on a page button that was off) in %.1f s\n",
              tally.clicks, tally.loads, tally.disabled_clicks, seconds);
  std::printf("soak: answers:");
  for (std::size_t a = 0; a < tally.answers.size(); ++a) {
    std::printf(" %s %d%s", AnswerName(static_cast<Answer>(a)), tally.answers[a],
                a + 1 < tally.answers.size() ? "," : "\n");
  }
  std::printf(
      "soak: %d failed loads, %d told to the user; %d times no page before, told; "
      "%d rows chosen, %d links opened, %d refused and told\n",
      tally.failed_loads, tally.failures_told, tally.no_page_before, tally.rows_chosen,
      tally.links_opened, tally.links_refused);
  std::printf("soak: memory (VmRSS) after %d clicks %.1f MiB, after the soak %.1f MiB (%+.1f %%)\n",
              kWarmUpClicks, MiB(after_warm_up), MiB(after_soak),
              after_warm_up > 0 ? 100.0 * static_cast<double>(after_soak - after_warm_up) /
                                      static_cast<double>(after_warm_up)
                                : 0.0);
  std::printf("soak: live heap after %d clicks %.1f MiB, after the soak %.1f MiB\n", kWarmUpClicks,
              MiB(heap_after_warm_up), MiB(heap_after_soak));
  std::fflush(stdout);

  EXPECT_EQ(tally.failures_told, tally.failed_loads);
  for (std::size_t a = 0; a < tally.answers.size(); ++a) {
    EXPECT_GT(tally.answers[a], 0) << "never answered " << AnswerName(static_cast<Answer>(a));
  }
  EXPECT_GT(tally.rows_chosen, 0);
  EXPECT_GT(tally.links_opened, 0);
  EXPECT_GT(tally.links_refused, 0);
  ASSERT_GT(after_warm_up, 0);
  if (ResidentSizeFollowsTheHeap()) {
    EXPECT_LE(static_cast<double>(after_soak), 1.10 * static_cast<double>(after_warm_up));
  }
  EXPECT_LE(static_cast<double>(heap_after_soak), 1.10 * static_cast<double>(heap_after_warm_up));
  // Tighter: what stays behind must be far less than a kibibyte a load.  (The
  // test's own record of opened addresses accounts for some of it.)
  EXPECT_LT(heap_after_soak - heap_after_warm_up, std::int64_t{1} << 20);
}

}  // namespace
}  // namespace quorvel::soak
