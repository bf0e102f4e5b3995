#include "soak_user.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

#include "client/catalogue/qt/qt_list_view.h"
#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "listing_bodies.h"

namespace quorvel::soak {
namespace {

// The window's logic keeps UTF-16 text; the soak compares it with the widgets'.
QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
QStringList Q(const std::vector<std::u16string>& lines) {
  QStringList list;
  for (const std::u16string& line : lines) list.append(Q(line));
  return list;
}

struct Weighted {
  Answer answer;
  unsigned weight;
};
// Good replies are the most common; 70 MiB is rare, as it costs the most.
constexpr std::array<Weighted, 9> kAnswerWeights{{
    {Answer::kGood, 36},
    {Answer::kInvalidUtf8, 10},
    {Answer::kNoTrailer, 10},
    {Answer::kManyRecords, 5},
    {Answer::kRefuse, 8},
    {Answer::kResetMidBody, 8},
    {Answer::kStall, 8},
    {Answer::kServerError, 8},
    {Answer::kHuge, 3},
}};

Answer DrawAnswer(std::mt19937& rng) {
  unsigned total = 0;
  for (const Weighted& w : kAnswerWeights) total += w.weight;
  unsigned x = static_cast<unsigned>(rng() % total);
  for (const Weighted& w : kAnswerWeights) {
    if (x < w.weight) return w.answer;
    x -= w.weight;
  }
  return Answer::kGood;
}

// What users type: spaces around, Chinese, signs that need escaping, nothing.
const std::array<QString, 8> kSearchTerms{
    QStringLiteral("C++"),
    QString::fromUtf16(u"  穿越火线  "),
    QString(),
    QString::fromUtf16(u"外挂 辅助"),
    QStringLiteral("%&?#=/"),
    QStringLiteral("\t"),
    QString::fromUtf16(u"ＡＢＣ"),
    QStringLiteral("   "),
};

QStringList Lines(const QListWidget& list) {
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) lines.append(list.item(i)->text());
  return lines;
}

std::string Std(const QString& s) { return s.toStdString(); }

}  // namespace

SoakUser::SoakUser(shell::Main& window, MisbehavingListing& server,
                   shell::testing::TestComponents& components, QString program_folder)
    : window_(window),
      server_(server),
      components_(components),
      program_folder_(std::move(program_folder)) {
  list_ = window.findChild<catalogue::QtListView*>();
  list1_ = window.findChild<QListWidget*>(QStringLiteral("List1"));
  list2_ = window.findChild<QListView*>(QStringLiteral("List2"));
  list3_ = window.findChild<QListView*>(QStringLiteral("List3"));
  notice_ = window.findChild<QLabel*>(QStringLiteral("Notice"));
  counter_ = window.findChild<QLabel*>(QStringLiteral("JiLu_Text"));
  qian_ = window.findChild<QPushButton*>(QStringLiteral("Qian"));
  hou_ = window.findChild<QPushButton*>(QStringLiteral("Hou"));
  soso_ = window.findChild<QPushButton*>(QStringLiteral("SoSo"));
  text1_ = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
  for (std::size_t i = 0; i < categories_.size(); ++i) {
    categories_[i] = window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(i + 1));
  }
}

bool SoakUser::Ready() const {
  for (QPushButton* button : categories_) {
    if (button == nullptr) return false;
  }
  return list_ != nullptr && list1_ != nullptr && list2_ != nullptr && list3_ != nullptr &&
         notice_ != nullptr && counter_ != nullptr && qian_ != nullptr && hou_ != nullptr &&
         soso_ != nullptr && text1_ != nullptr && components_.shell_open != nullptr;
}

int SoakUser::ListedRows() const { return window_.ListedRows(); }

void SoakUser::RandomClick(std::mt19937& clicks, std::mt19937& answers) {
  const unsigned x = static_cast<unsigned>(clicks() % 100);
  if (x < 22) {
    const int button = static_cast<int>(clicks() % categories_.size());
    const Answer answer = DrawAnswer(answers);
    LoadClick(Load::kCategory, button, answer);
  } else if (x < 32) {
    const int term = static_cast<int>(clicks() % (kSearchTerms.size() * 2));
    const Answer answer = DrawAnswer(answers);
    LoadClick(Load::kSearch, term, answer);
  } else if (x < 54) {
    LoadClick(Load::kNext, 0, hou_->isEnabled() ? DrawAnswer(answers) : Answer::kGood);
  } else if (x < 68) {
    LoadClick(Load::kPrevious, 0, qian_->isEnabled() ? DrawAnswer(answers) : Answer::kGood);
  } else if (x < 80) {
    ChooseRowWithMouse(clicks);
  } else if (x < 86) {
    ChooseRowWithKeyboard(clicks);
  } else {
    SelectLink(clicks);
  }
}

void SoakUser::GoodCategoryClick(int button) { LoadClick(Load::kCategory, button, Answer::kGood); }

void SoakUser::GoodNextPageClick() { LoadClick(Load::kNext, 0, Answer::kGood); }

void SoakUser::AfterClick() {
  // Rows reach the view when the event loop turns; the program's loop also
  // deletes what was left for later.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ++tally_.clicks;
}

void SoakUser::LoadClick(Load load, int which, Answer answer) {
  const catalogue::BrowsingSession& s = window_.Session();
  QPushButton* button = load == Load::kCategory ? categories_[static_cast<std::size_t>(which)]
                        : load == Load::kSearch ? soso_
                        : load == Load::kNext   ? hou_
                                                : qian_;
  const int page_no_before = s.PageNo();
  const std::int64_t requests_before = server_.requests();
  const int rows_before = ListedRows();
  const QStringList list3_before = Q(s.List3());
  const QString counter_before = Q(s.CounterText());
  const bool qian_before = s.QianEnabled();
  const bool hou_before = s.HouEnabled();

  if (!button->isEnabled()) {
    // A page button that is off does nothing at all.
    QTest::mouseClick(button, Qt::LeftButton);
    AfterClick();
    ++tally_.disabled_clicks;
    EXPECT_EQ(server_.requests(), requests_before);
    EXPECT_EQ(s.PageNo(), page_no_before);
    EXPECT_EQ(ListedRows(), rows_before);
    return;
  }

  if (load == Load::kPrevious && page_no_before <= 1) {
    // A category or search whose reply lacked a readable trailer has set
    // PageNo to 1 and left the buttons as they were: there is no page
    // before, and the user is told so.
    QTest::mouseClick(button, Qt::LeftButton);
    AfterClick();
    ++tally_.no_page_before;
    EXPECT_EQ(server_.requests(), requests_before);
    EXPECT_EQ(s.PageNo(), page_no_before);
    EXPECT_EQ(ListedRows(), rows_before);
    EXPECT_FALSE(Q(s.Notice()).isEmpty());
    EXPECT_FALSE(notice_->isHidden());
    return;
  }
  if (!server_.AnswerNextWith(answer)) {
    ADD_FAILURE() << "the server could not be set to answer " << AnswerName(answer);
    return;
  }
  const int requested = load == Load::kNext       ? page_no_before + 1
                        : load == Load::kPrevious ? page_no_before - 1
                                                  : 1;
  if (load == Load::kSearch) {
    // A click into the box empties it; the user types, then presses the
    // button or Enter.
    QTest::mouseClick(text1_, Qt::LeftButton);
    EXPECT_TRUE(text1_->text().isEmpty());
    text1_->insert(kSearchTerms[static_cast<std::size_t>(which) % kSearchTerms.size()]);
    if (which % 2 == 0) {
      QTest::mouseClick(soso_, Qt::LeftButton);
    } else {
      QTest::keyClick(text1_, Qt::Key_Return);
    }
  } else {
    QTest::mouseClick(button, Qt::LeftButton);
  }
  AfterClick();
  ++tally_.loads;
  ++tally_.answers[static_cast<std::size_t>(answer)];

  const std::int64_t made = server_.requests() - requests_before;
  ASSERT_EQ(made, answer == Answer::kRefuse ? 0 : 1)
      << "load " << static_cast<int>(load) << " answered " << AnswerName(answer)
      << ", told: " << Std(Q(s.Notice()));
  if (answer != Answer::kRefuse) {
    const MisbehavingListing::Served served = server_.last();
    EXPECT_EQ(served.page, requested) << served.target;
    if (load == Load::kNext || load == Load::kPrevious) {
      // Paging always addresses the whole catalogue.
      EXPECT_EQ(served.target.find("q="), std::string::npos) << served.target;
    }
  }

  const QString& notice = Q(s.Notice());
  if (ToldAsFailure(answer)) {
    ++tally_.failed_loads;
    if (!notice.isEmpty() && !notice_->isHidden() && notice_->text() == notice) {
      ++tally_.failures_told;
    } else {
      ADD_FAILURE() << "a load answered " << AnswerName(answer) << " was not told";
    }
  } else {
    EXPECT_TRUE(notice.isEmpty()) << AnswerName(answer) << ": " << Std(notice);
  }

  if (ReplacesList(answer)) {
    page_on_show_ = requested;
    expected_page_no_ = requested;
    EXPECT_EQ(ListedRows(), answer == Answer::kManyRecords ? kManyRows : kRowsPerPage);
    if (answer != Answer::kNoTrailer) {
      const int rows = ListedRows();
      EXPECT_TRUE(Q(s.CounterText()).contains(QString::number(rows))) << Std(Q(s.CounterText()));
      switch (load) {
        case Load::kCategory:
        case Load::kSearch:
          EXPECT_FALSE(s.QianEnabled());
          EXPECT_TRUE(s.HouEnabled());
          break;
        case Load::kNext:
          EXPECT_TRUE(s.QianEnabled());
          EXPECT_EQ(s.HouEnabled(), s.PageNo() != kPageCount);
          break;
        case Load::kPrevious:
          EXPECT_TRUE(s.HouEnabled());
          EXPECT_EQ(s.QianEnabled(), s.PageNo() != 1);
          break;
      }
    }
  } else {
    // The fetch failed: the list, its store, the counter and the buttons stay.
    // PageNo goes back to the page on show, whatever the kind of load.
    expected_page_no_ = page_no_before;
    EXPECT_EQ(ListedRows(), rows_before);
    EXPECT_TRUE(Q(s.List3()) == list3_before);
    EXPECT_EQ(Q(s.CounterText()), counter_before);
    EXPECT_EQ(s.QianEnabled(), qian_before);
    EXPECT_EQ(s.HouEnabled(), hou_before);
  }
}

void SoakUser::ChooseRowWithMouse(std::mt19937& rng) {
  const int rows = ListedRows();
  const QString chosen_before = Q(window_.Session().HaunCunText());
  if (rows == 0) {
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    AfterClick();
    EXPECT_EQ(Q(window_.Session().HaunCunText()), chosen_before);
    return;
  }
  const int row = static_cast<int>(rng() % static_cast<unsigned>(rows));
  const QModelIndex index = list_->model()->index(row, 0);
  list_->scrollTo(index);
  const QRect rect = list_->visualRect(index);
  ASSERT_TRUE(rect.isValid()) << "row " << row << " has no place on screen";
  QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, rect.center());
  AfterClick();
  CheckChosenRow(row);
}

void SoakUser::ChooseRowWithKeyboard(std::mt19937& rng) {
  const QString chosen_before = Q(window_.Session().HaunCunText());
  const int before = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
  QTest::keyClick(list_, rng() % 3 == 0 ? Qt::Key_Up : Qt::Key_Down);
  AfterClick();
  const int after = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
  if (after >= 0 && after != before) {
    CheckChosenRow(after);
  } else {
    // At either end of the list, or in an empty one: nothing is chosen.
    EXPECT_EQ(Q(window_.Session().HaunCunText()), chosen_before);
  }
}

void SoakUser::CheckChosenRow(int row) {
  const catalogue::BrowsingSession& s = window_.Session();
  ++tally_.rows_chosen;
  ASSERT_LT(row, Q(s.List3()).size());
  EXPECT_EQ(Q(s.HaunCunText()), Q(s.List3())[row]);
  int page = -1;
  int listed_row = -1;
  ASSERT_TRUE(ParseTitle(list_->table()->CellText(row, 1), &page, &listed_row))
      << Std(list_->table()->CellText(row, 1));
  EXPECT_EQ(listed_row, row);
  EXPECT_EQ(Q(s.List1()), QStringList({QString::fromUtf16(kOpenableLinkName),
                                       QString::fromUtf16(kRefusedLinkName)}));
  EXPECT_EQ(Q(s.List2()), QStringList({OpenableAddress(page, row),
                                       QStringLiteral("javascript:alert(%1)").arg(row)}));
  EXPECT_TRUE(Q(s.Notice()).isEmpty()) << Std(Q(s.Notice()));
}

void SoakUser::SelectLink(std::mt19937& rng) {
  const catalogue::BrowsingSession& s = window_.Session();
  const std::size_t opened_before = components_.shell_open->opened().size();
  const int lines = list1_->count();
  if (lines == 0) {
    QTest::mouseClick(list1_->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    AfterClick();
    EXPECT_EQ(components_.shell_open->opened().size(), opened_before);
    return;
  }
  // The selection must change for the address to open: pick another line.
  const int selected = list1_->currentRow();
  int line = static_cast<int>(rng() % static_cast<unsigned>(lines));
  if (line == selected) line = (line + 1) % lines;
  if (line == selected) return;
  ASSERT_LT(line, Q(s.List2()).size());
  const QString address = Q(s.List2())[line];
  const QRect rect = list1_->visualItemRect(list1_->item(line));
  QTest::mouseClick(list1_->viewport(), Qt::LeftButton, {}, rect.center());
  AfterClick();
  const auto& opened = components_.shell_open->opened();
  if (address.startsWith(QStringLiteral("http://"))) {
    ++tally_.links_opened;
    ASSERT_EQ(opened.size(), opened_before + 1);
    EXPECT_EQ(opened.back().address, address);
    EXPECT_EQ(opened.back().working_directory, program_folder_);
    EXPECT_TRUE(Q(s.Notice()).isEmpty()) << Std(Q(s.Notice()));
  } else {
    ++tally_.links_refused;
    EXPECT_EQ(opened.size(), opened_before) << Std(address);
    EXPECT_FALSE(Q(s.Notice()).isEmpty());
    EXPECT_FALSE(notice_->isHidden());
  }
}

void SoakUser::CheckWindow() {
  const catalogue::BrowsingSession& s = window_.Session();
  EXPECT_EQ(s.PageNo(), expected_page_no_);
  const int rows = ListedRows();
  EXPECT_EQ(list_->model()->rowCount(), rows);
  // List3 has one line per row, in the window's store too.
  EXPECT_EQ(Q(s.List3()).size(), rows);
  EXPECT_EQ(list3_->model()->rowCount(), rows);
  if (rows > 0) {
    // The rows on show are one whole page: the first and the last came with it.
    for (const int row : {0, rows - 1}) {
      int page = -1;
      int listed_row = -1;
      ASSERT_TRUE(ParseTitle(list_->table()->CellText(row, 1), &page, &listed_row))
          << Std(list_->table()->CellText(row, 1));
      EXPECT_EQ(page, page_on_show_);
      EXPECT_EQ(listed_row, row);
      EXPECT_TRUE(Q(s.List3())[row].contains(OpenableAddress(page_on_show_, row)));
    }
  }
  EXPECT_EQ(counter_->text(), Q(s.CounterText()));
  EXPECT_EQ(qian_->isEnabled(), s.QianEnabled());
  EXPECT_EQ(hou_->isEnabled(), s.HouEnabled());
  EXPECT_EQ(Lines(*list1_), Q(s.List1()));
  EXPECT_EQ(list2_->model()->rowCount(), Q(s.List2()).size());
  EXPECT_EQ(Q(s.List1()).size(), Q(s.List2()).size());
  EXPECT_EQ(notice_->isHidden(), Q(s.Notice()).isEmpty());
  EXPECT_EQ(notice_->text(), Q(s.Notice()));
}

}  // namespace quorvel::soak
