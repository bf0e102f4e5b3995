#pragma once

// Everything the main window does with the catalogue, without the window:
// the page state, the loads of every kind, the page buttons, the search, the
// choice of a row and the opening of a link.  The window forwards its clicks
// here and, after each, shows what the accessors say.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

#include "client/catalogue/components.h"
#include "client/catalogue/listing_page.h"

namespace quorvel::catalogue {

class BrowsingSession {
 public:
  BrowsingSession(Transfer& transfer, ListView& list, ShellOpen& shell, QString program_folder);

  // Start-up: base address of the listing service, ending in "/adminphp/".
  void SetServerUrl(const QString& server_url);
  // Start-up: PageNo 1, ScriptName, then the first load of page 1.
  void StartUpLoad();
  // Command1 .. Command18, given as 0 .. 17.
  void CategoryClicked(int button_index);
  // SoSo with the search box's text.
  void SearchClicked(const QString& search_box_text);
  void NextPage();      // Hou
  void PreviousPage();  // Qian
  void RowChosen(int row);
  // The selected line of List1 changed to `line`.
  void LinkSelected(int line);

  const QString& ServerUrl() const;
  const QString& ScriptName() const;
  std::int32_t PageNo() const;
  const QByteArray& ReplyBytes() const;

  const QString& CounterText() const;  // JiLu_Text
  bool QianEnabled() const;
  bool HouEnabled() const;
  const QStringList& List1() const;  // link names of the chosen row
  const QStringList& List2() const;  // their addresses, line for line
  const QStringList& List3() const;  // DownloadLinks of every row on show
  const QString& HaunCunText() const;
  // One sentence for the user about the last action, empty when it went well.
  const QString& Notice() const;

 private:
  // Fetches ServerUrl + ScriptName + `query` and shows the reply.  On a failed
  // fetch nothing changes but Notice(), which starts with `failure_lead`.
  bool LoadPage(const QString& query, const PageLoad& load, const QString& failure_lead);
  void Step(PagingStep step);
  // Puts PageNo back to `page_on_show` when the load's fetch failed.
  void KeepPageOnShowUnless(bool loaded, std::int32_t page_on_show);

  Transfer& transfer_;
  ListView& list_;
  ShellOpen& shell_;
  QString program_folder_;

  QString server_url_;
  QString script_name_;
  std::int32_t page_no_ = 1;
  QByteArray reply_bytes_;
  QString reply_text_;  // the decoded reply; its buffer serves the next load

  QString counter_text_ = QStringLiteral("0");
  bool qian_enabled_ = false;
  bool hou_enabled_ = false;
  QStringList list1_;
  QStringList list2_;
  QStringList list3_;
  QString haun_cun_text_;
  QString notice_;
};

}  // namespace quorvel::catalogue
