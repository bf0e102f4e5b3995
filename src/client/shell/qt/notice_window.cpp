#include "client/shell/qt/notice_window.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include "client/shell/main_layout.h"
#include "client/shell/notice_placement.h"
#include "client/shell/qt/app_icon.h"
#include "client/shell/qt/native_frame.h"
#include "client/shell/qt/qt_geometry.h"
#include "client/shell/qt/window_accessible.h"
#include "client/shell/qt/window_font.h"

namespace quorvel::shell {

namespace {

QString Text(std::u16string_view s) { return QStringView(s).toString(); }

QWidget* BrowserHost(const ControlDesign& design, QWidget* parent) {
  auto* host = new QWidget(parent);
  host->setObjectName(QString::fromLatin1(design.name.data(), design.name.size()));
  host->setGeometry(ToPixels(design.rect));
  host->setFocusPolicy(Qt::NoFocus);
  return host;
}

}  // namespace

NoticeWindow::NoticeWindow(const WebBrowserFactory& make_browser, const ShellAddresses& addresses)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      addresses_(addresses) {
  using namespace notice_design;
  // Before the caption: Qt 6.8 makes the window's accessible view when its
  // caption is set, and keeps that one for good.
  MarkAsProgramWindow(this);
  setObjectName(QStringLiteral("main1"));
  setWindowTitle(Text(kCaption));
  setWindowIcon(AppIcon());
  setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));

  frame1_ = new QFrame(this);
  frame1_->setObjectName(QString::fromLatin1(kFrame1.name.data(), kFrame1.name.size()));
  frame1_->setGeometry(ToPixels(kFrame1.rect));
  frame1_->setFrameShape(QFrame::NoFrame);

  label1_ = new QLabel(this);
  label1_->setObjectName(QString::fromLatin1(kLabel1.name.data(), kLabel1.name.size()));
  label1_->setGeometry(ToPixels(kLabel1.rect));
  label1_->setTextFormat(Qt::PlainText);
  label1_->setWordWrap(true);
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1_->setText(Text(kLabel1.caption));
  // Three lines in 41 pixels: a point smaller than the window's face.
  QFont plea_font = WindowFont();
  plea_font.setPointSize(8);
  label1_->setFont(plea_font);
  // The plea's dark grey is the window's own colour, so the ground under it
  // is too: on a dark desktop it would be grey on black.
  QPalette palette = label1_->palette();
  palette.setColor(QPalette::WindowText, QColor(0x40, 0x40, 0x40));
  palette.setColor(QPalette::Window, QColor(0xff, 0xff, 0xff));
  label1_->setPalette(palette);
  label1_->setAutoFillBackground(true);

  web_browser1_host_ = BrowserHost(kWebBrowser1, frame1_);
  web_browser2_host_ = BrowserHost(kWebBrowser2, this);
  web_browser1_ = make_browser(web_browser1_host_);
  web_browser2_ = make_browser(web_browser2_host_);

  // The plea reads first; the pages follow.
  setTabOrder(label1_, web_browser1_host_);
  setTabOrder(web_browser1_host_, web_browser2_host_);
  SetWindowFont(*this);
}

NoticeWindow::~NoticeWindow() = default;

void NoticeWindow::ShowNotice() {
  PlaceOnScreen();
  web_browser1_->Navigate(addresses_.partner_page);
  web_browser2_->Navigate(addresses_.notice_page);
  show();
  PlaceOnScreen();
}

void NoticeWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible() && replacements_left_ > 0 && frameGeometry().size() != placed_for_) {
    --replacements_left_;
    PlaceOnScreen();
  }
}

void NoticeWindow::PlaceOnScreen() {
  const QScreen* on = screen();
  if (on == nullptr) return;
  placed_for_ = frameGeometry().size();
  move(ToQPoint(NoticeWindowPosition(ToScreenRect(on->geometry()), ToScreenSize(placed_for_))));

  // Qt places to its own pixel; where the display server keeps the frame,
  // the place is made good to the device pixel.
  const NativeFrame native(*this);
  const std::optional<QMargins> frame = native.Margins();
  const std::optional<QRect> screen = native.Screen();
  if (!frame || !screen || frame->isNull()) return;
  if (placed_for_ == size()) {
    // The server has framed the window before Qt heard of it; again once Qt
    // knows, or Qt would move it back by the frame it thinks it has.
    if (frame_waits_left_ > 0) {
      --frame_waits_left_;
      QTimer::singleShot(20, this, [this] { PlaceOnScreen(); });
    }
    return;
  }
  const qreal ratio = devicePixelRatioF();
  const QSize outer(qRound(width() * ratio) + frame->left() + frame->right(),
                    qRound(height() * ratio) + frame->top() + frame->bottom());
  native.MoveFrameTo(
      ToQPoint(NoticeWindowPosition(ToScreenRect(*screen), ToScreenSize(outer), ratio)), *frame);
}

}  // namespace quorvel::shell
