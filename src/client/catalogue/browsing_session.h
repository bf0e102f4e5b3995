#pragma once

// Everything the main window does with the catalogue, without the window:
// the page state, the loads of every kind, the page buttons, the search, the
// choice of a row and the opening of a link.  The window forwards its clicks
// here and, after each, shows what the accessors say.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/catalogue/components.h"
#include "client/catalogue/listing_page.h"
#include "client/catalogue/reply_text.h"

namespace quorvel::catalogue {

class BrowsingSession {
 public:
  BrowsingSession(Transfer& transfer, ListView& list, ShellOpen& shell,
                  std::u16string program_folder);

  // Start-up: base address of the listing service, ending in "/adminphp/".
  void SetServerUrl(std::u16string_view server_url);
  // Start-up: PageNo 1, ScriptName, then the first load of page 1.
  void StartUpLoad();
  // Command1 .. Command18, given as 0 .. 17.
  void CategoryClicked(int button_index);
  // SoSo with the search box's text.
  void SearchClicked(std::u16string_view search_box_text);
  void NextPage();      // Hou
  void PreviousPage();  // Qian
  void RowChosen(int row);
  // The selected line of List1 changed to `line`.
  void LinkSelected(int line);

  using Lines = std::vector<std::u16string>;

  const std::u16string& ServerUrl() const;
  const std::u16string& ScriptName() const;
  std::int32_t PageNo() const;
  const std::string& ReplyBytes() const;

  const std::u16string& CounterText() const;  // JiLu_Text
  bool QianEnabled() const;
  bool HouEnabled() const;
  const Lines& List1() const;  // link names of the chosen row
  const Lines& List2() const;  // their addresses, line for line
  const Lines& List3() const;  // DownloadLinks of every row on show
  const std::u16string& HaunCunText() const;
  // One sentence for the user about the last action, empty when it went well.
  const std::u16string& Notice() const;

 private:
  // Fetches ServerUrl + ScriptName + `query` and shows the reply.  On a failed
  // fetch nothing changes but Notice(), which starts with `failure_lead`.
  bool LoadPage(std::u16string_view query, const PageLoad& load, std::u16string_view failure_lead);
  void Step(PagingStep step);
  // Puts PageNo back to `page_on_show` when the load's fetch failed.
  void KeepPageOnShowUnless(bool loaded, std::int32_t page_on_show);

  Transfer& transfer_;
  ListView& list_;
  ShellOpen& shell_;
  std::u16string program_folder_;

  std::u16string server_url_;
  std::u16string script_name_;
  std::int32_t page_no_ = 1;
  std::string reply_bytes_;
  ReplyText reply_text_;  // the decoded reply; its buffer serves the next load too

  std::u16string counter_text_ = u"0";
  bool qian_enabled_ = false;
  bool hou_enabled_ = false;
  Lines list1_;
  Lines list2_;
  Lines list3_;
  std::u16string haun_cun_text_;
  std::u16string notice_;
};

}  // namespace quorvel::catalogue
