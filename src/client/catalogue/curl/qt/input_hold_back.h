#pragma once

#include <QObject>

namespace quorvel::catalogue {

// While it lives, the user's mouse, keyboard, wheel, touch and drag input to
// every window of the application is dropped, not queued: a click made while
// a page loads must not fire once it has loaded.  Painting, resizing, timers
// and everything else go on as usual.
class InputHoldBack : public QObject {
  Q_OBJECT

 public:
  InputHoldBack();
  ~InputHoldBack() override;

  int dropped() const { return dropped_; }

  static bool IsUserInput(int event_type);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int dropped_ = 0;
};

}  // namespace quorvel::catalogue
