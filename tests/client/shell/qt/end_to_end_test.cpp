// The real main window against the bundled catalogue service on loopback,
// with the real Qt transfer and list view; only the shell's "open", the
// browsers, the music and the skin are doubles.

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include "client/catalogue/curl/qt/qt_transfer.h"
#include "client/catalogue/qt/qt_list_view.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "service_process.h"

namespace quorvel::shell {
namespace {

using testing::TestComponents;

const QString kService = QStringLiteral(QUORVEL_SERVICE_BINARY);
const QString kFolder = QStringLiteral("/opt/quorvel");

QString U(const char16_t* s) { return QString::fromUtf16(s); }

// The database every test starts from: the service's starter catalogue and
// one entry whose first link must never be handed to the system.
QString PreparedDatabase() {
  static QTemporaryDir dir;
  static QString db;
  if (!db.isEmpty()) return db;
  const QString tsv = dir.filePath(QStringLiteral("extra.tsv"));
  QFile file(tsv);
  if (!file.open(QIODevice::WriteOnly)) return QString();
  file.write(U(u"测试分类\t危险链接条目\t免费\t2024-01-01 00:00:00\t"
               u"本地文件/*/file:///etc/passwd/**/网页/*/http://127.0.0.1:9/x/**/\t900001\n")
                 .toUtf8());
  file.close();
  const QString path = dir.filePath(QStringLiteral("catalogue.sqlite3"));
  // A service's first start makes the starter catalogue; an import into a
  // file that does not exist would hold its own entries alone.
  std::string error;
  auto first_start = quorvel::testing::ServiceProcess::Start(
      kService.toStdString(), {"--db", path.toStdString()},
      dir.filePath(QStringLiteral("first-start.log")).toStdString(), &error);
  if (!first_start || first_start->Stop() != 0) return QString();
  QProcess import;
  import.start(kService, {QStringLiteral("--db"), path, QStringLiteral("--import"), tsv});
  if (!import.waitForFinished(60000) || import.exitCode() != 0) return QString();
  db = path;
  return db;
}

// The entry count of a reply, as the service wrote it in the trailer.
QString TrailerCount(const std::string& reply) {
  const QString text = QString::fromStdString(reply);
  const qsizetype at = text.indexOf(QStringLiteral("?TtbBa?"));
  if (at < 0) return QString();
  return text.mid(at + 7).split(QLatin1Char('?')).value(0);
}

class EndToEnd : public ::testing::Test {
 protected:
  EndToEnd() : components_(/*qt_list_view=*/true) {}

  void SetUp() override {
    if (!QFileInfo(kService).isExecutable()) {
      GTEST_SKIP() << kService.toStdString() << " is not built";
    }
    db_ = PreparedDatabase();
    ASSERT_FALSE(db_.isEmpty()) << "could not prepare the catalogue database";
    ASSERT_TRUE(StartService(0));
    components_.scripted.SetResponder(
        [this](std::u16string_view address) { return transfer_.OpenURL(address); });
  }

  // 330 seeded entries and one imported give three pages of at most 111.
  ::testing::AssertionResult StartService(int port) {
    std::string error;
    service_ = quorvel::testing::ServiceProcess::Start(
        kService.toStdString(), {"--db", db_.toStdString(), "--page-size", "111"},
        log_dir_.File("service.log"), &error, port);
    return service_ ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << error;
  }
  QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(service_->port()); }
  std::u16string Host16() const { return Host().toStdU16String(); }

  void Open() {
    window_ = std::make_unique<Main>(components_, AddressesForHosts(Host16(), Host16(), Host16()),
                                     kFolder);
    window_->StartUp();
  }

  template <typename W = QWidget>
  W* Child(const QString& name) {
    W* found = window_->findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  void Click(const QString& name) { Child<QAbstractButton>(name)->click(); }
  bool Enabled(const char* name) { return Child(QString::fromLatin1(name))->isEnabled(); }
  QString Counter() { return Child<QLabel>(QStringLiteral("JiLu_Text"))->text(); }
  QLabel* Notice() { return Child<QLabel>(QStringLiteral("Notice")); }
  catalogue::QtListView* List() { return window_->findChild<catalogue::QtListView*>(); }
  QString Cell(int row, int column) {
    List()->CommitPendingRows();
    return List()->model()->index(row, column).data().toString();
  }

  // The queries the window sent, in order, without the script's address.
  QStringList Queries() {
    const QString prefix =
        QStringLiteral("OpenURL http://") + Host() + QStringLiteral("/adminphp/admin_upload.php?");
    QStringList queries;
    for (const std::u16string& entry : components_.log) {
      const QString line = QString::fromStdU16String(entry);
      if (line.startsWith(prefix)) queries.append(line.mid(prefix.size()));
    }
    return queries;
  }
  QStringList List1Lines() {
    QStringList lines;
    auto* list1 = Child<QListWidget>(QStringLiteral("List1"));
    for (int i = 0; i < list1->count(); ++i) lines.append(list1->item(i)->text());
    return lines;
  }
  void ChooseRowByMouse(int row) {
    catalogue::QtListView* list = List();
    list->CommitPendingRows();
    const QRect rect = list->visualRect(list->model()->index(row, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  }

  quorvel::testing::TempDir log_dir_;
  std::unique_ptr<quorvel::testing::ServiceProcess> service_;
  QString db_;
  catalogue::QtTransfer transfer_;
  TestComponents components_;
  std::unique_ptr<Main> window_;
};

TEST_F(EndToEnd, StartUpListsPageOneOfTheWholeCatalogue) {
  Open();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(Queries(), QStringList{QStringLiteral("page=1")});
  EXPECT_EQ(window_->ListedRows(), 111);
  EXPECT_EQ(Counter(), U(u"Quorvel共有 331 个外挂"));
  EXPECT_FALSE(Enabled("Qian"));
  EXPECT_TRUE(Enabled("Hou"));
  EXPECT_FALSE(Notice()->isVisible());
  // Start-up fills the id column but not the links column.
  EXPECT_FALSE(Cell(0, 5).isEmpty());
  EXPECT_TRUE(Cell(0, 4).isEmpty());
  EXPECT_EQ(window_->Session().List3().size(), 111);
}

struct CategoryCase {
  const char* button;
  const char16_t* term;
  const char16_t* suffix;
};

const CategoryCase kCategories[] = {
    {"Command1", u"跑炮卡丁车", u" 个跑跑卡丁车外挂"},
    {"Command2", u"穿越火线", u" 个穿越火线外挂"},
    {"Command3", u"QQ飞车", u" 个QQ飞车外挂"},
    {"Command4", u"QQ炫舞", u" 个QQ炫舞外挂"},
    {"Command5", u"CSOL", u" 个反恐精英外挂"},
    {"Command6", u"洛克王国", u" 个洛克王国外挂"},
    {"Command7", u"造梦西游", u" 个造梦西游外挂"},
    {"Command8", u"机甲旋风", u" 个机甲旋风外挂"},
    {"Command9", u"逆战", u" 个逆战外挂"},
    {"Command10", u"西游大战僵尸2", u" 个西游大战僵尸2外挂"},
    {"Command11", u"传奇", u" 个传奇外挂"},
    {"Command12", u"斩魂", u" 个斩魂外挂"},
    {"Command13", u"英雄联盟", u" 个英雄联盟外挂"},
    {"Command14", u"QQ游戏", u" 个QQ游戏外挂"},
    {"Command15", u"QQ活动", u" QQ活动"},
    {"Command16", u"梦三国", u" 个梦三国外挂"},
    {"Command17", u"反恐行动", u" 个反恐行动外挂"},
    {"Command18", u"风暴战区", u" 个风暴战区外挂"},
};

TEST_F(EndToEnd, EveryCategoryButtonSendsItsTermAndShowsItsCounter) {
  Open();
  for (const CategoryCase& c : kCategories) {
    SCOPED_TRACE(c.button);
    Click(QString::fromLatin1(c.button));
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(U(c.term)));
    EXPECT_EQ(Queries().back(), QStringLiteral("page=1&q=") + encoded);
    const QString count = TrailerCount(window_->Session().ReplyBytes());
    ASSERT_FALSE(count.isEmpty());
    EXPECT_EQ(Counter(), U(u"当前有 ") + count + U(c.suffix));
    EXPECT_EQ(window_->Session().PageNo(), 1);
    EXPECT_FALSE(Enabled("Qian"));
    EXPECT_EQ(Enabled("Hou"), count.toInt() > 111);
    EXPECT_EQ(window_->ListedRows(), std::min(count.toInt(), 111));
    EXPECT_FALSE(Notice()->isVisible());
  }
  EXPECT_EQ(Queries().size(), 19);
  EXPECT_TRUE(Queries().contains(QStringLiteral("page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF")));
  // The same button twice gives the same list twice.
  Click(QStringLiteral("Command2"));
  const QString first = Cell(0, 1);
  const int rows = window_->ListedRows();
  Click(QStringLiteral("Command2"));
  EXPECT_EQ(Cell(0, 1), first);
  EXPECT_EQ(window_->ListedRows(), rows);
  EXPECT_EQ(Cell(0, 0), U(u"穿越火线"));
}

TEST_F(EndToEnd, ThreePagesForwardAndBack) {
  Open();
  struct Step {
    const char* button;
    const char* query;
    int page;
    bool qian;
    bool hou;
    int rows;
  };
  const Step steps[] = {
      {"Hou", "page=2", 2, true, true, 111},
      {"Hou", "page=3", 3, true, false, 109},
      {"Qian", "page=2", 2, true, true, 111},
      {"Qian", "page=1", 1, false, true, 111},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.query);
    Click(QString::fromLatin1(s.button));
    EXPECT_EQ(Queries().back(), QString::fromLatin1(s.query));
    EXPECT_EQ(window_->Session().PageNo(), s.page);
    EXPECT_EQ(Enabled("Qian"), s.qian);
    EXPECT_EQ(Enabled("Hou"), s.hou);
    EXPECT_EQ(window_->ListedRows(), s.rows);
    EXPECT_EQ(Counter(), U(u"当页共有 331 外挂"));
    // Paging fills both hidden columns too.
    EXPECT_FALSE(Cell(0, 4).isEmpty());
    EXPECT_FALSE(Cell(0, 5).isEmpty());
  }
}

TEST_F(EndToEnd, AfterACategoryTheNextPageIsOfTheWholeCatalogue) {
  Open();
  Click(QStringLiteral("Command2"));
  ASSERT_FALSE(Enabled("Hou"));  // fewer than a page of 穿越火线 entries
  Click(QStringLiteral("Command11"));
  Child(QStringLiteral("Hou"))->setEnabled(true);
  Click(QStringLiteral("Hou"));
  EXPECT_EQ(Queries().back(), QStringLiteral("page=2"));
  EXPECT_EQ(Counter(), U(u"当页共有 331 外挂"));
  EXPECT_EQ(window_->ListedRows(), 111);
}

TEST_F(EndToEnd, SearchTrimsOuterSpacesAndEncodesChineseAndCPlusPlus) {
  Open();
  auto* text1 = Child<QLineEdit>(QStringLiteral("Text1"));
  QTest::mouseClick(text1, Qt::LeftButton);
  QTest::keyClicks(text1, QStringLiteral("  C++ "));
  text1->insert(U(u"源码 "));
  QTest::keyClick(text1, Qt::Key_Return);
  EXPECT_EQ(Queries().back(), QStringLiteral("page=1&q=C%2B%2B%20%E6%BA%90%E7%A0%81"));
  const QString count = TrailerCount(window_->Session().ReplyBytes());
  ASSERT_GT(count.toInt(), 0);
  EXPECT_EQ(Counter(), U(u"搜索到 ") + count + U(u" 结果"));
  ASSERT_GT(window_->ListedRows(), 0);
  for (int row = 0; row < window_->ListedRows(); ++row) {
    EXPECT_TRUE(Cell(row, 1).contains(U(u"C++ 源码"))) << Cell(row, 1).toStdString();
  }
  EXPECT_FALSE(Enabled("Qian"));
  EXPECT_EQ(text1->text(), U(u"  C++ 源码 "));

  // An empty box is not refused.
  QTest::mouseClick(text1, Qt::LeftButton);
  Click(QStringLiteral("SoSo"));
  EXPECT_EQ(Queries().back(), QStringLiteral("page=1&q="));
}

TEST_F(EndToEnd, AFailedFetchInEachKindOfLoadKeepsTheWindowAsItWas) {
  Open();
  Click(QStringLiteral("Hou"));
  ASSERT_EQ(window_->Session().PageNo(), 2);
  const QString counter = Counter();
  const QString first_title = Cell(0, 1);
  const int port = service_->port();
  service_->Stop();

  auto expect_unchanged = [&](const char* what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(Notice()->isVisible());
    EXPECT_FALSE(Notice()->text().isEmpty());
    EXPECT_EQ(Counter(), counter);
    EXPECT_EQ(window_->ListedRows(), 111);
    EXPECT_EQ(Cell(0, 1), first_title);
    EXPECT_EQ(window_->Session().List3().size(), 111);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  };

  // Each time PageNo goes back to the page on show.
  Click(QStringLiteral("Command2"));
  expect_unchanged("category");
  EXPECT_EQ(window_->Session().PageNo(), 2);
  Click(QStringLiteral("SoSo"));
  expect_unchanged("search");
  EXPECT_EQ(window_->Session().PageNo(), 2);
  Click(QStringLiteral("Hou"));
  expect_unchanged("next page");
  EXPECT_EQ(window_->Session().PageNo(), 2);
  EXPECT_TRUE(Enabled("Qian"));
  EXPECT_TRUE(Enabled("Hou"));

  ASSERT_TRUE(StartService(port));
  Click(QStringLiteral("Hou"));
  EXPECT_EQ(Queries().back(), QStringLiteral("page=3"));
  EXPECT_EQ(window_->Session().PageNo(), 3);
  EXPECT_FALSE(Notice()->isVisible());
}

TEST_F(EndToEnd, StartUpWithTheServiceDownOpensAnEmptyUsableWindow) {
  service_->Stop();
  Open();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quorvel1.8"));
  EXPECT_EQ(window_->ListedRows(), 0);
  EXPECT_EQ(Counter(), QStringLiteral("0"));
  EXPECT_TRUE(Enabled("SoSo"));
  EXPECT_FALSE(Enabled("Qian"));
  EXPECT_FALSE(Enabled("Hou"));
  EXPECT_TRUE(Notice()->isVisible());
}

TEST_F(EndToEnd, ChoosingRowsAndOpeningLinks) {
  Open();
  auto* text1 = Child<QLineEdit>(QStringLiteral("Text1"));
  text1->setText(U(u"危险链接条目"));
  Click(QStringLiteral("SoSo"));
  ASSERT_EQ(window_->ListedRows(), 1);
  ChooseRowByMouse(0);
  EXPECT_EQ(List1Lines(), (QStringList{U(u"本地文件"), U(u"网页")}));

  auto* list1 = Child<QListWidget>(QStringLiteral("List1"));
  QTest::mouseClick(list1->viewport(), Qt::LeftButton, {},
                    list1->visualItemRect(list1->item(0)).center());
  EXPECT_TRUE(components_.shell_open->opened().empty()) << "file: must be refused";
  EXPECT_TRUE(Notice()->isVisible());
  QTest::keyClick(list1, Qt::Key_Down);
  ASSERT_EQ(components_.shell_open->opened().size(), 1u);
  EXPECT_EQ(components_.shell_open->opened()[0].address, QStringLiteral("http://127.0.0.1:9/x"));
  EXPECT_EQ(components_.shell_open->opened()[0].working_directory, kFolder);
  EXPECT_FALSE(Notice()->isVisible());

  // A seeded entry, chosen with the keyboard: its links point at the service.
  Click(QStringLiteral("Command11"));
  catalogue::QtListView* list = List();
  list->setFocus();
  ChooseRowByMouse(0);
  QTest::keyClick(list, Qt::Key_Down);
  ASSERT_FALSE(List1Lines().isEmpty());
  ASSERT_GT(window_->Session().List3().size(), 1u);
  EXPECT_EQ(window_->Session().HaunCunText(), window_->Session().List3()[1]);
  list1->setCurrentRow(List1Lines().size() - 1);
  ASSERT_EQ(components_.shell_open->opened().size(), 2u);
  const QString opened = QString::fromStdU16String(components_.shell_open->opened()[1].address);
  EXPECT_EQ(opened, window_->Session().List2().back());
  EXPECT_TRUE(opened.startsWith(QStringLiteral("http://") + Host() + QStringLiteral("/download/")))
      << opened.toStdString();
}

}  // namespace
}  // namespace quorvel::shell
