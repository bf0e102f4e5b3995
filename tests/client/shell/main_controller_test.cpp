// The start-up sequence and the clicks as every platform's window runs them:
// the order of the steps, a failed step skipped, and one action at a time.

#include "client/shell/main_controller.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "client/catalogue/text16.h"
#include "doubles/client/catalogue/fake_list_view.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "doubles/client/shell/recording_components.h"
#include "reply_builder.h"
#include "text_checks.h"

namespace quorvel::shell {
namespace {

using catalogue::Decimal;
using catalogue::testing::Records;
using catalogue::testing::Reply;
using testing::Lines;

// A window that writes down what it is told into the components' log.
class RecordingView final : public MainView {
 public:
  explicit RecordingView(Lines* log) : log_(log) {}

  void ShowNoticeWindow() override { log_->push_back(u"main1.Show"); }
  void SetCaption(std::u16string_view caption) override {
    if (caption_fails) throw std::runtime_error("no caption");
    log_->push_back(u"Caption " + std::u16string(caption));
  }
  void SetButtonsEnabled(bool qian, bool hou, bool soso) override {
    log_->push_back(u"Enabled " + Decimal(qian) + Decimal(hou) + Decimal(soso));
  }
  void ShowSession(const catalogue::BrowsingSession& session, bool refill_list1) override {
    log_->push_back(u"Show " + session.CounterText() + (refill_list1 ? u" refill" : u""));
  }
  void TellUser(std::u16string_view notice) override { told.emplace_back(notice); }

  bool caption_fails = false;
  Lines told;

 private:
  Lines* log_;
};

class MainControllerTest : public ::testing::Test {
 protected:
  MainControllerTest()
      : browser_(u"Main.WebBrowser1", &log_),
        player_(&log_),
        skin_(&log_),
        view_(&log_),
        controller_(view_, {transfer_, list_, shell_open_, browser_, player_, skin_},
                    AddressesForHosts(u"list.test", u"site.test", u"partner.test"),
                    ProgramFilesIn(u"/opt/quorvel", u'/')) {
    transfer_.WriteLogTo(&log_);
    list_.WriteLogTo(&log_);
  }

  Lines log_;
  catalogue::testing::ScriptedTransfer transfer_;
  catalogue::testing::FakeListView list_;
  catalogue::testing::RecordingShellOpen shell_open_;
  testing::RecordingWebBrowser browser_;
  testing::RecordingMediaPlayer player_;
  testing::RecordingSkin skin_;
  RecordingView view_;
  MainController controller_;
};

TEST_F(MainControllerTest, StartUpStepsRunInTheirOrder) {
  transfer_.QueueReply(Reply(Records(2), "42?3"));
  controller_.StartUp();
  const Lines expected = {
      u"main1.Show",
      u"Main.WebBrowser1.Navigate http://site.test/tishi1.8.html",
      u"WindowsMediaPlayer1.URL /opt/quorvel/mp3/mp3.mp3",
      u"Caption Quorvel1.8",
      u"Enabled 000",
      u"PrepareView",
      u"AddColumn(0,外挂分类,90)",
      u"AddColumn(1,外挂标题,233)",
      u"AddColumn(2,授权方式,90)",
      u"AddColumn(3,更新时间,140)",
      u"AddColumn(4,下载地址,0)",
      u"AddColumn(5,id,0)",
      u"ApplyDisplaySettings",
      u"SkinH_AttachEx /opt/quorvel/Skin/Skin.she []",
      u"Enabled 001",
      u"OpenURL http://list.test/adminphp/admin_upload.php?page=1",
      u"ClearRows",
  };
  ASSERT_GE(log_.size(), expected.size());
  EXPECT_EQ(Lines(log_.begin(), log_.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
  EXPECT_EQ(log_.back(), u"Show Quorvel共有 42 个外挂");
  EXPECT_EQ(controller_.Session().PageNo(), 1);
  EXPECT_TRUE(view_.told.empty());
}

// From the caption on, a step that fails is skipped and the next one runs.
TEST_F(MainControllerTest, AFailedStartUpStepIsSkipped) {
  view_.caption_fails = true;
  skin_.SetResult(false);
  transfer_.QueueReply(Reply(Records(2), "2?1"));
  controller_.StartUp();
  EXPECT_EQ(list_.rows().size(), 2u);
  EXPECT_EQ(log_.back(), u"Show Quorvel共有 2 个外挂");
}

// A platform that keeps painting while it fetches may deliver a click in the
// middle of another action: it is dropped, and a fault inside an action is
// told without escaping into the platform's event loop.
TEST_F(MainControllerTest, OneActionAtATimeAndFaultsAreTold) {
  transfer_.QueueReply(Reply(Records(1), "1?3"));
  controller_.StartUp();
  int fetches = 0;
  transfer_.SetResponder([&](std::u16string_view) {
    ++fetches;
    controller_.NextPage();  // arrives while the first click is under way
    throw std::runtime_error("the list ran out of memory");
    return catalogue::TransferResult{};
  });
  controller_.CategoryClicked(2);
  EXPECT_EQ(fetches, 1);
  EXPECT_FALSE(controller_.Busy());
  EXPECT_EQ(view_.told, Lines{u"操作没有完成：程序内部出错。"});
}

TEST_F(MainControllerTest, AChosenRowRefillsList1) {
  transfer_.QueueReply(Reply(Records(2), "2?1"));
  controller_.StartUp();
  list_.ChooseRow(1);
  EXPECT_EQ(log_.back(), u"Show Quorvel共有 2 个外挂 refill");
  EXPECT_EQ(controller_.Session().List1(), Lines{u"n1"});
}

}  // namespace
}  // namespace quorvel::shell
