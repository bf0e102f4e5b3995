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

#include <exception>
#include <utility>

#include "client/catalogue/category_table.h"
#include "client/catalogue/listing_service.h"
#include "client/shell/about_text.h"
#include "client/shell/qt/app_icon.h"
#include "client/shell/main_layout.h"
#include "client/shell/notice_placement.h"
#include "client/shell/qt/notice_window.h"
#include "client/shell/twips.h"
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

// A start-up step that fails is skipped and the next one runs.
template <typename Step>
void Guarded(Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
  } catch (const std::exception&) {
  } catch (...) {
  }
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

  session_ = std::make_unique<catalogue::BrowsingSession>(*inet1_, *list_view_, *shell_open_,
                                                          program_folder_);
  list_view_->SetRowChosenHandler([this](int row) {
    Handle([&] {
      session_->RowChosen(row);
      list1_refill_due_ = true;
    });
  });

  main1_ = std::make_unique<NoticeWindow>(
      [this](QWidget* host) { return components_.MakeWebBrowser(host); }, addresses_);

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
          [this] { Handle([&] { session_->SearchClicked(text1_->text()); }); });

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
  connect(qian_, &QPushButton::clicked, this,
          [this] { Handle([&] { session_->PreviousPage(); }); });
  hou_ = Place(new QPushButton(Text(kHou.caption), this), kHou);
  connect(hou_, &QPushButton::clicked, this, [this] { Handle([&] { session_->NextPage(); }); });

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
            [this, index] { Handle([&] { session_->CategoryClicked(index); }); });
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

void Main::PrepareListView() { catalogue::PrepareListColumns(*list_view_); }

void Main::StartUp() {
  main1_->ShowNotice();
  web_browser1_->Navigate(addresses_.tip_page);
  windows_media_player1_->SetURL(program_folder_ + QStringLiteral("/mp3/mp3.mp3"));

  Guarded([&] { setWindowTitle(Text(main_design::kCaption)); });
  Guarded([&] { session_->SetServerUrl(addresses_.listing_base); });
  Guarded([&] {
    qian_->setEnabled(false);
    hou_->setEnabled(false);
    soso_->setEnabled(false);
  });
  Guarded([&] { PrepareListView(); });
  Guarded([&] {
    skin_->SkinH_AttachEx(program_folder_ + QStringLiteral("/Skin/Skin.she"), QString());
  });
  Guarded([&] { soso_->setEnabled(true); });
  Guarded([&] {
    busy_ = true;
    session_->StartUpLoad();
    busy_ = false;
  });
  busy_ = false;
  Guarded([&] { ShowSessionState(); });

  PlaceOnScreen();
  FocusFirstVisibleControl();
  show();
  PlaceOnScreen();
}

void Main::PlaceOnScreen() {
  const QScreen* on = screen();
  if (on == nullptr) return;
  placed_for_ = frameGeometry().size();
  move(MainWindowPosition(on->availableGeometry(), placed_for_));
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

template <typename Action>
void Main::Handle(Action&& action) {
  // The transfer keeps the windows painting while it waits, so an event could
  // reach a handler while another action is still under way; it is dropped.
  if (busy_) return;
  busy_ = true;
  bool completed = true;
  try {
    std::forward<Action>(action)();
  } catch (const std::exception&) {
    // Nothing may escape into Qt's event loop; the window stays usable.
    completed = false;
  }
  busy_ = false;
  ShowSessionState();
  if (!completed) TellUser(QStringLiteral(u"操作没有完成：程序内部出错。"));
}

void Main::ShowSessionState() {
  const catalogue::BrowsingSession& s = *session_;
  if (jilu_text_->text() != s.CounterText()) {
    jilu_text_->setText(s.CounterText());
    AnnounceCount(jilu_text_, s.CounterText());
  }
  qian_->setEnabled(s.QianEnabled());
  hou_->setEnabled(s.HouEnabled());

  // A chosen row always refills List1, also with the names already on show:
  // no name may stay selected, or the first click on it would open nothing.
  // Otherwise (after a link was opened) the lines are kept, and so is the
  // selection the user just made.
  QStringList shown;
  shown.reserve(list1_->count());
  for (int i = 0; i < list1_->count(); ++i) shown.append(list1_->item(i)->text());
  if (list1_refill_due_ || shown != s.List1()) {
    const QSignalBlocker quiet(list1_);
    list1_->clear();
    list1_->addItems(s.List1());
  }
  list1_refill_due_ = false;
  list2_lines_->setStringList(s.List2());
  list3_lines_->setStringList(s.List3());
  haun_cun_text_->setText(s.HaunCunText());

  TellUser(s.Notice());
}

void Main::TellUser(const QString& notice) {
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
  QMessageBox box(QMessageBox::NoIcon, QStringView(kAboutTitle).toString(), AboutText(addresses_),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void Main::OnList1SelectionChanged() {
  const QList<QListWidgetItem*> selected = list1_->selectedItems();
  if (selected.isEmpty()) return;
  const int line = list1_->row(selected.front());
  Handle([&] { session_->LinkSelected(line); });
}

bool Main::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list1_ && event->type() == QEvent::KeyPress) {
    // Enter opens the link name under the cursor, as Enter in the search
    // box searches.
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list1_->currentRow() >= 0) {
      const int line = list1_->currentRow();
      Handle([&] { session_->LinkSelected(line); });
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
