#include "client/shell/qt/main_window.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStringListModel>
#include <QVBoxLayout>

#include <utility>

#include "client/catalogue/category_table.h"
#include "client/shell/about_text.h"
#include "client/shell/main_layout.h"
#include "client/shell/notice_placement.h"
#include "client/shell/qt/app_icon.h"
#include "client/shell/qt/notice_window.h"
#include "client/shell/qt/qt_geometry.h"
#include "client/shell/qt/qt_text.h"
#include "client/shell/qt/window_accessible.h"
#include "client/shell/qt/window_font.h"

namespace quorvel::shell {

namespace {

QString Text(std::u16string_view s) { return QStringView(s).toString(); }
QString Name(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

template <typename W>
W* Place(W* widget, const ControlDesign& design) {
  widget->setObjectName(Name(design.name));
  widget->setGeometry(ToPixels(design.rect));
  return widget;
}

// The players beyond the window's edge: nothing in them may take the focus
// (a Tab stop out of sight), nor be read out by a screen reader.  Disabled,
// they still load and play.
QWidget* HostFor(const ControlDesign& design, QWidget* parent) {
  auto* host = Place(new QWidget(parent), design);
  host->setFocusPolicy(Qt::NoFocus);
  host->setEnabled(false);
  HideFromAssistiveTechnology(host);
  return host;
}

}  // namespace

Main::Main(MainComponents& components, const ShellAddresses& addresses,
           const QString& program_folder)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      components_(components),
      addresses_(addresses),
      program_folder_(program_folder) {
  setObjectName(QStringLiteral("Main"));
  setWindowIcon(AppIcon());
  MarkAsProgramWindow(this);
  setFixedSize(TwipsToPixels(main_design::kClientWidth), TwipsToPixels(main_design::kClientHeight));

  BuildControls();

  inet1_ = components_.MakeTransfer();
  shell_open_ = components_.MakeShellOpen();
  skin_ = components_.MakeSkin();
  windows_media_player1_ = components_.MakeMediaPlayer();
  web_browser1_ = components_.MakeWebBrowser(web_browser1_host_);
  list_view_ = components_.MakeListView(list_view_host_);
  for (QWidget* child : list_view_host_->findChildren<QWidget*>()) {
    child->setToolTip(list_view_host_->toolTip());
  }
  if (auto* view = list_view_host_->findChild<QWidget*>(); view != nullptr) {
    list_view_host_->setFocusProxy(view);
    view->setAccessibleName(QStringLiteral(u"外挂列表"));
    view->setAccessibleDescription(list_view_host_->toolTip());
  }

  main1_ = std::make_unique<NoticeWindow>(
      [this](QWidget* host) { return components_.MakeWebBrowser(host); }, addresses_);

  const MainParts parts{*inet1_, *list_view_, *shell_open_, *web_browser1_, *windows_media_player1_,
                        *skin_};
  MainView& view = *this;
  controller_ = std::make_unique<MainController>(view, parts, addresses_,
                                                 ProgramFilesIn(ToU16(program_folder_), u'/'));

  ChainTabOrder();
  SetWindowFont(*this);
}

Main::~Main() = default;

void Main::BuildControls() {
  using namespace main_design;

  text1_ = Place(new QLineEdit(Text(kText1.caption), this), kText1);
  text1_->installEventFilter(this);
  // The box has no label of its own; the button beside it says what it is for.
  text1_->setAccessibleName(Text(kSoSo.caption));

  soso_ = Place(new QPushButton(Text(kSoSo.caption), this), kSoSo);
  // Enter in the box presses the button; the box keeps its text.
  connect(text1_, &QLineEdit::returnPressed, soso_, &QPushButton::click);
  connect(soso_, &QPushButton::clicked, this,
          [this] { controller_->SearchClicked(ToU16(text1_->text())); });

  jilu_text_ = new QLabel(this);
  // Before its first text: a screen reader's view of a widget is made once.
  MarkAsCounter(jilu_text_);
  Place(jilu_text_, kJiLuText);
  jilu_text_->setTextFormat(Qt::PlainText);
  jilu_text_->setStyleSheet(QStringLiteral("QLabel { color: #ff0000; }"));
  jilu_text_->setText(Text(kJiLuText.caption));

  command19_ = Place(new QPushButton(Text(kCommand19.caption), this), kCommand19);
  connect(command19_, &QPushButton::clicked, this, &Main::ShowAboutBox);

  frame1_ = Place(new QGroupBox(Text(kFrame1.caption), this), kFrame1);
  frame1_->setFocusPolicy(Qt::NoFocus);
  BuildCategoryButtons();

  list_view_host_ = Place(new QWidget(this), kListView);
  list_view_host_->setToolTip(Text(kListView.caption));

  qian_ = Place(new QPushButton(Text(kQian.caption), this), kQian);
  connect(qian_, &QPushButton::clicked, this, [this] { controller_->PreviousPage(); });
  hou_ = Place(new QPushButton(Text(kHou.caption), this), kHou);
  connect(hou_, &QPushButton::clicked, this, [this] { controller_->NextPage(); });

  label1_ = Place(new QLabel(Text(kLabel1.caption), this), kLabel1);
  label1_->setTextFormat(Qt::PlainText);

  list1_ = Place(new QListWidget(this), kList1);
  list1_->setToolTip(Text(kList1.caption));
  list1_->setSelectionMode(QAbstractItemView::SingleSelection);
  list1_->setUniformItemSizes(true);
  list1_->installEventFilter(this);
  connect(list1_, &QListWidget::itemSelectionChanged, this, &Main::OnList1SelectionChanged);
  label1_->setBuddy(list1_);
  list1_->setAccessibleName(label1_->text());

  BuildStores();

  web_browser1_host_ = HostFor(kWebBrowser1, this);
  media_player1_host_ = HostFor(kWindowsMediaPlayer1, this);

  // A failed action is told here, over the foot of the list, until the next
  // action goes well or the user clicks it away.
  notice_ = new QLabel(this);
  notice_->setObjectName(QStringLiteral("Notice"));
  notice_->setTextFormat(Qt::PlainText);
  notice_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const QRect list = ToPixels(kListView.rect);
  notice_->setGeometry(list.x() + 2, list.bottom() - 25, list.width() - 22, 23);
  notice_->setAutoFillBackground(true);
  notice_->setCursor(Qt::PointingHandCursor);
  notice_->installEventFilter(this);
  notice_->hide();
}

void Main::BuildCategoryButtons() {
  using catalogue::kCategoryButtons;
  for (std::size_t i = 0; i < kCategoryButtons.size(); ++i) {
    QWidget* container = i == 0 ? static_cast<QWidget*>(this) : frame1_;
    auto* button = new QPushButton(Text(kCategoryButtons[i].caption), container);
    button->setObjectName(QStringLiteral("Command%1").arg(i + 1));
    button->setGeometry(ToPixels(main_design::kCategoryButtonRects[i]));
    const int index = int(i);
    connect(button, &QPushButton::clicked, this,
            [this, index] { controller_->CategoryClicked(index); });
    category_buttons_[i] = button;
  }
  // Command1 lies over the frame's second row, so it must be drawn above it.
  category_buttons_[0]->raise();
}

void Main::BuildStores() {
  using namespace main_design;
  // The three stores keep the session's hidden lines where the design put
  // them; the user never sees them.
  list2_lines_ = new QStringListModel(this);
  list2_ = Place(new QListView(this), kList2);
  list2_->setModel(list2_lines_);
  list2_->hide();
  HideFromAssistiveTechnology(list2_);
  list3_lines_ = new QStringListModel(this);
  list3_ = Place(new QListView(this), kList3);
  list3_->setModel(list3_lines_);
  list3_->hide();
  HideFromAssistiveTechnology(list3_);
  haun_cun_text_ = Place(new QLineEdit(Text(kHaunCunText.caption), this), kHaunCunText);
  haun_cun_text_->hide();
  HideFromAssistiveTechnology(haun_cun_text_);
}

void Main::ChainTabOrder() {
  // In the order of the design's tab indexes; controls that take no focus
  // (labels, the frame, the hidden players) are left out.
  QList<QWidget*> chain{haun_cun_text_, list2_, list1_, list_view_host_,
                        qian_,          hou_,   text1_, soso_};
  for (QPushButton* button : category_buttons_) chain.append(button);
  chain.append(command19_);
  chain.append(list3_);
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
  tab_chain_ = chain;
}

void Main::StartUp() {
  controller_->StartUp();
  PlaceOnScreen();
  FocusFirstVisibleControl();
  show();
  PlaceOnScreen();
}

void Main::PlaceOnScreen() {
  const QScreen* on = screen();
  if (on == nullptr) return;
  placed_for_ = frameGeometry().size();
  move(ToQPoint(
      MainWindowPosition(ToScreenRect(on->availableGeometry()), ToScreenSize(placed_for_))));
}

void Main::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // The window manager adds its frame once the window is on screen; the
  // place is taken again for the size with the frame.
  if (isVisible() && replacements_left_ > 0 && frameGeometry().size() != placed_for_) {
    --replacements_left_;
    PlaceOnScreen();
  }
}

void Main::FocusFirstVisibleControl() {
  // The first control in tab order that a user can see and use: the stores
  // before it are hidden, and the page buttons come later.
  for (QWidget* control : std::as_const(tab_chain_)) {
    QWidget* taker = control->focusProxy() != nullptr ? control->focusProxy() : control;
    if (taker->isVisibleTo(this) && taker->isEnabled() &&
        (taker->focusPolicy() & Qt::TabFocus) != 0) {
      taker->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

int Main::ListedRows() const { return list_view_->RowCount(); }

void Main::ShowNoticeWindow() { main1_->ShowNotice(); }

void Main::SetCaption(std::u16string_view caption) { setWindowTitle(ToQString(caption)); }

void Main::SetButtonsEnabled(bool qian, bool hou, bool soso) {
  qian_->setEnabled(qian);
  hou_->setEnabled(hou);
  soso_->setEnabled(soso);
}

namespace {

QStringList ToQStringList(const catalogue::BrowsingSession::Lines& lines) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::u16string& line : lines) list.append(ToQString(line));
  return list;
}

}  // namespace

void Main::ShowSession(const catalogue::BrowsingSession& s, bool refill_list1) {
  const QString counter = ToQString(s.CounterText());
  if (jilu_text_->text() != counter) {
    jilu_text_->setText(counter);
    AnnounceCount(jilu_text_, counter);
  }
  qian_->setEnabled(s.QianEnabled());
  hou_->setEnabled(s.HouEnabled());

  // A chosen row always refills List1, also with the names already on show:
  // no name may stay selected, or the first click on it would open nothing.
  // Otherwise (after a link was opened) the lines are kept, and so is the
  // selection the user just made.
  const QStringList names = ToQStringList(s.List1());
  QStringList shown;
  shown.reserve(list1_->count());
  for (int i = 0; i < list1_->count(); ++i) shown.append(list1_->item(i)->text());
  if (refill_list1 || shown != names) {
    const QSignalBlocker quiet(list1_);
    list1_->clear();
    list1_->addItems(names);
  }
  list2_lines_->setStringList(ToQStringList(s.List2()));
  list3_lines_->setStringList(ToQStringList(s.List3()));
  haun_cun_text_->setText(ToQString(s.HaunCunText()));

  TellUser(s.Notice());
}

void Main::TellUser(std::u16string_view text) {
  const QString notice = ToQString(text);
  notice_->setText(notice);
  // Tooltips guess rich text; a sentence that may quote the network is
  // escaped inside markup of our own so that it shows as it is.
  notice_->setToolTip(notice.isEmpty() ? QString()
                                       : QStringLiteral("<p style='white-space:pre-wrap'>") +
                                             notice.toHtmlEscaped() + QStringLiteral("</p>"));
  notice_->setVisible(!notice.isEmpty());
  if (!notice.isEmpty()) notice_->raise();
}

void Main::ShowAboutBox() {
  QMessageBox box(QMessageBox::NoIcon, ToQString(kAboutTitle), ToQString(AboutText(addresses_)),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void Main::OnList1SelectionChanged() {
  const QList<QListWidgetItem*> selected = list1_->selectedItems();
  if (selected.isEmpty()) return;
  controller_->LinkSelected(list1_->row(selected.front()));
}

bool Main::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list1_ && event->type() == QEvent::KeyPress) {
    // Enter opens the link name under the cursor, as Enter in the search
    // box searches.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list1_->currentRow() >= 0) {
      controller_->LinkSelected(list1_->currentRow());
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonPress) {
    if (watched == text1_) {
      // Every click into the box empties it, also of a term the user typed.
      text1_->clear();
    } else if (watched == notice_) {
      notice_->hide();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quorvel::shell
