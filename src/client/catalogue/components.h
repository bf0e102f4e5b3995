#pragma once

// The two outside components the catalogue leans on: the list view that shows
// a page and the transfer that fetches it, plus the shell "open" that hands a
// download address to the system.  Each has one adapter per platform, in qt/
// (the transfer in curl/) and win32/, and one test double, under tests/doubles.
// Text is UTF-16 throughout; a reply's body is bytes.

#include <functional>
#include <string>
#include <string_view>

namespace quorvel::catalogue {

// The outcome of one fetch as one value: the whole body, or why there is none.
struct TransferResult {
  enum class Failure {
    kNone,
    kRefused,           // nobody listens at the address
    kTruncated,         // cut short by a reset or an early close, plain or TLS
    kStalled,           // no progress for too long
    kTimedOut,          // too long in all
    kHttpStatus,        // status 400 or above
    kTooManyRedirects,  // more than five
    kTooLarge,          // the body passed the size limit
    kOther,             // host not found, bad address, untrusted certificate, ...
  };
  Failure failure = Failure::kNone;
  int http_status = 0;
  std::string body;       // the whole body when ok()
  std::u16string reason;  // one plain sentence for the user when !ok()

  bool ok() const { return failure == Failure::kNone; }
};

class Transfer {
 public:
  virtual ~Transfer() = default;
  // Blocks until the whole body has arrived or the fetch has failed.
  virtual TransferResult OpenURL(std::u16string_view address) = 0;
};

class ListView {
 public:
  using RowChosenHandler = std::function<void(int row)>;

  virtual ~ListView() = default;
  virtual void PrepareView() = 0;
  // A width of 0 hides the column until the user widens it.
  virtual void AddColumn(int position, std::u16string_view caption, int width) = 0;
  // Rows under the column headers, full-row choice, grid lines, white ground.
  virtual void ApplyDisplaySettings() = 0;
  virtual void ClearRows() = 0;
  virtual int RowCount() const = 0;
  // The text lives only for the call: a list keeps its own copy.
  virtual void AddRow(int index, std::u16string_view text) = 0;
  virtual void SetCell(int row, int column, std::u16string_view text) = 0;
  // Raised when the user chooses a row, by mouse or keyboard.
  virtual void SetRowChosenHandler(RowChosenHandler handler) = 0;
};

class ShellOpen {
 public:
  virtual ~ShellOpen() = default;
  // Hands `address` to the system's default handler, started in
  // `working_directory`.  Returns false and says why when nothing was started.
  virtual bool Open(std::u16string_view address, std::u16string_view working_directory,
                    std::u16string* error) = 0;
};

}  // namespace quorvel::catalogue
