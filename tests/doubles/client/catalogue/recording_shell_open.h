#pragma once

#include <QString>

#include <vector>

#include "client/catalogue/components.h"

namespace quorvel::catalogue::testing {

// Starts nothing: writes down every address it is asked to open.
class RecordingShellOpen : public ShellOpen {
 public:
  struct Opened {
    QString address;
    QString working_directory;
  };

  bool Open(const QString& address, const QString& working_directory, QString* error) override;

  // Makes every later Open fail with `error`, as when no handler is installed.
  void FailWith(QString error);

  const std::vector<Opened>& opened() const { return opened_; }

 private:
  std::vector<Opened> opened_;
  bool fail_ = false;
  QString error_;
};

}  // namespace quorvel::catalogue::testing
