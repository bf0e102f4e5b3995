#pragma once

#include <string_view>

namespace quorvel::shell {

// An embedded browser that shows one page.  Nothing is read back: a page that
// cannot be reached is the browser's own affair.
class WebBrowser {
 public:
  virtual ~WebBrowser() = default;
  virtual void Navigate(std::u16string_view address) = 0;
};

// Stands in where the program is built without web pages.
class NullWebBrowser final : public WebBrowser {
 public:
  void Navigate(std::u16string_view) override {}
};

}  // namespace quorvel::shell
