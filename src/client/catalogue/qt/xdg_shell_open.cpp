#include "client/catalogue/qt/xdg_shell_open.h"

#include <QProcess>

#include <utility>

#include "client/catalogue/address_guard.h"

namespace quorvel::catalogue {

XdgShellOpen::XdgShellOpen(QString program) : program_(std::move(program)) {}

bool XdgShellOpen::Open(std::u16string_view address, std::u16string_view working_directory,
                        std::u16string* error) {
  const AddressCheck check = CheckOpenableAddress(address);
  if (!check.allowed) {
    if (error != nullptr) *error = check.reason;
    return false;
  }
  QProcess process;
  process.setProgram(program_);
  process.setArguments({QStringView(address).toString()});
  process.setWorkingDirectory(QStringView(working_directory).toString());
  process.setStandardInputFile(QProcess::nullDevice());
  if (!process.startDetached()) {
    if (error != nullptr) {
      *error = QStringLiteral("无法启动 %1（%2）。")
                   .arg(program_, process.errorString())
                   .toStdU16String();
    }
    return false;
  }
  return true;
}

}  // namespace quorvel::catalogue
