#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace quorvel::testing {

// nginx from the Debian package, run in the foreground as a rival or as the
// proxy in front of services, with everything it writes kept in one folder.
// It is told to end when this process ends, like ServiceProcess.
class NginxProcess {
 public:
  // The nginx executable, or empty when it is not installed.
  static std::string Executable();

  // Writes a main configuration into `folder` that includes `http_config` at
  // http level (pid, logs and temporary files all in `folder`), starts nginx
  // with it and waits until 127.0.0.1:`port` takes connections.  When run as
  // root its workers run as root too, so they can read the test's files.
  // Returns null, with the reason in `error`, when it does not come up.
  static std::unique_ptr<NginxProcess> Start(const std::string& folder,
                                             const std::string& http_config, int port,
                                             std::string* error);
  ~NginxProcess();
  NginxProcess(const NginxProcess&) = delete;
  NginxProcess& operator=(const NginxProcess&) = delete;

  pid_t pid() const { return pid_; }
  // What nginx said about its own trouble.
  std::string ErrorLog() const;
  // Asks nginx to stop at once and waits for it; its exit code, or -1.
  int Stop();

 private:
  NginxProcess(pid_t pid, std::string folder) : pid_(pid), folder_(std::move(folder)) {}

  pid_t pid_;
  std::string folder_;
  bool stopped_ = false;
  int exit_code_ = -1;
};

}  // namespace quorvel::testing
