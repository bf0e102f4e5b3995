#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <random>

#include "misbehaving_listing.h"

class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;

namespace quorvel::catalogue {
class QtListView;
}
namespace quorvel::shell {
class Main;
namespace testing {
class TestComponents;
}
}  // namespace quorvel::shell

namespace quorvel::soak {

// What the soak did and saw.
struct SoakTally {
  int clicks = 0;
  int loads = 0;
  std::array<int, 9> answers{};  // by Answer
  int failed_loads = 0;          // loads the user had to be told about
  int failures_told = 0;         // ... and was, in the window
  int disabled_clicks = 0;       // on a page button that was off
  int no_page_before = 0;        // Qian on PageNo 1 after a failed first-page load, told
  int rows_chosen = 0;
  int links_opened = 0;
  int links_refused = 0;  // refused addresses, each told
};

// A user at the main window.  Each click is made as a person would make it,
// through the mouse or the keyboard, and afterwards everything the window
// shows is checked against what the server sent.
class SoakUser {
 public:
  SoakUser(shell::Main& window, MisbehavingListing& server,
           shell::testing::TestComponents& components, QString program_folder);

  // False when a control the user needs is missing.
  bool Ready() const;

  // One click chosen by `clicks`; a load it makes is answered as `answers` says.
  void RandomClick(std::mt19937& clicks, std::mt19937& answers);
  // A category button whose load the server answers well.
  void GoodCategoryClick(int button);
  // The next-page button, answered well.
  void GoodNextPageClick();
  // Checks what must hold between clicks, whatever came before.
  void CheckWindow();

  const SoakTally& tally() const { return tally_; }
  int page_on_show() const { return page_on_show_; }

 private:
  enum class Load { kCategory, kSearch, kNext, kPrevious };

  void LoadClick(Load load, int which, Answer answer);
  void ChooseRowWithMouse(std::mt19937& rng);
  void ChooseRowWithKeyboard(std::mt19937& rng);
  void SelectLink(std::mt19937& rng);
  void AfterClick();
  void CheckChosenRow(int row);
  int ListedRows() const;

  shell::Main& window_;
  MisbehavingListing& server_;
  shell::testing::TestComponents& components_;
  QString program_folder_;

  catalogue::QtListView* list_ = nullptr;
  QListWidget* list1_ = nullptr;
  QListView* list2_ = nullptr;
  QListView* list3_ = nullptr;
  QLabel* notice_ = nullptr;
  QLabel* counter_ = nullptr;
  QPushButton* qian_ = nullptr;
  QPushButton* hou_ = nullptr;
  QPushButton* soso_ = nullptr;
  QLineEdit* text1_ = nullptr;
  std::array<QPushButton*, 18> categories_{};

  // The page whose rows are listed, from the titles the server sent.
  int page_on_show_ = 1;
  // PageNo as the window must hold it.
  int expected_page_no_ = 1;
  SoakTally tally_;
};

}  // namespace quorvel::soak
