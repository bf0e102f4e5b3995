#pragma once

#include <QString>

#include "client/catalogue/components.h"

namespace quorvel::catalogue {

// Opens an address with the desktop's default handler through xdg-open,
// started detached in the given folder.  Desktop services may report success
// when nothing opened; a process that could not be started is reported here.
// Addresses the guard refuses are never handed over.
class XdgShellOpen : public ShellOpen {
 public:
  explicit XdgShellOpen(QString program = QStringLiteral("xdg-open"));

  bool Open(std::u16string_view address, std::u16string_view working_directory,
            std::u16string* error) override;

 private:
  QString program_;
};

}  // namespace quorvel::catalogue
