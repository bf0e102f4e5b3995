#include "client/shell/qt/components/qt_web_browser.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWidget>

namespace quorvel::shell {

QtWebBrowser::QtWebBrowser(QWidget* host) : view_(new QWebEngineView(host)) {
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view_);
  // The pages are looked at, not typed into; keyboard focus stays with the
  // window's own controls.
  view_->setFocusPolicy(Qt::NoFocus);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
}

// The view belongs to its host widget and goes with it.
QtWebBrowser::~QtWebBrowser() = default;

void QtWebBrowser::Navigate(std::u16string_view address) {
  if (view_) view_->load(QUrl(QStringView(address).toString()));
}

QWebEngineView* QtWebBrowser::View() const { return view_; }

std::unique_ptr<WebBrowser> MakeQtWebBrowser(QWidget* host) {
  return std::make_unique<QtWebBrowser>(host);
}

}  // namespace quorvel::shell
