#pragma once

#include <QPointer>

#include <memory>

#include "client/shell/web_browser.h"

class QWebEngineView;
class QWidget;

namespace quorvel::shell {

// A QWebEngineView that fills its host widget, so the host's place and size
// are the browser's.
class QtWebBrowser final : public WebBrowser {
 public:
  explicit QtWebBrowser(QWidget* host);
  ~QtWebBrowser() override;

  void Navigate(std::u16string_view address) override;

  QWebEngineView* View() const;

 private:
  QPointer<QWebEngineView> view_;
};

std::unique_ptr<WebBrowser> MakeQtWebBrowser(QWidget* host);

}  // namespace quorvel::shell
