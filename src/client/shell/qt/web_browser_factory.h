#pragma once

#include <functional>
#include <memory>

#include "client/shell/web_browser.h"

class QWidget;

namespace quorvel::shell {

// Makes a browser that fills `host`: the host widget carries the browser's
// name, place and size in the window's design.
using WebBrowserFactory = std::function<std::unique_ptr<WebBrowser>(QWidget* host)>;

}  // namespace quorvel::shell
