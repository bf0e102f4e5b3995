#pragma once

#include <string_view>

#include "client/catalogue/browsing_session.h"

namespace quorvel::shell {

// What the main window's logic asks of a platform's main window: the few
// things it changes on the controls besides the list, which it fills itself.
class MainView {
 public:
  virtual ~MainView() = default;
  // The notice window main1, shown without waiting and without an owner.
  virtual void ShowNoticeWindow() = 0;
  virtual void SetCaption(std::u16string_view caption) = 0;
  virtual void SetButtonsEnabled(bool qian, bool hou, bool soso) = 0;
  // After every action: the counter, the page buttons, List1 to List3 and
  // the scratch store as the session has them, and its notice.  With
  // `refill_list1` List1 is filled anew even when its lines are unchanged,
  // so that no line stays selected after a row was chosen.
  virtual void ShowSession(const catalogue::BrowsingSession& session, bool refill_list1) = 0;
  // One sentence over the foot of the list; an empty one puts it away.
  virtual void TellUser(std::u16string_view notice) = 0;
};

}  // namespace quorvel::shell
