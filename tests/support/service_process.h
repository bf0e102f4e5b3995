#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

// A temporary folder, removed with everything in it when this goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The outcome of a program run to its end.
struct ProgramResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs `executable` with `arguments` and waits for it, at most `timeout_seconds`
// (then it is killed and exit_code is -1).
ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& arguments,
                         int timeout_seconds = 60);

// Starts `executable` with `arguments` without waiting for it; both its
// outputs go to `log_path`.  Returns its process id, or -1.
pid_t StartProgram(const std::string& executable, const std::vector<std::string>& arguments,
                   const std::string& log_path);

// Waits for a program StartProgram() started, at most `timeout_seconds` (then
// it is killed); its exit code, or -1 when it did not exit normally.
int WaitForProgram(pid_t pid, int timeout_seconds);

// The catalogue identity an entity tag of the service names, with its
// opening quote: the tag up to its first '.', weak or strong alike.
inline std::string TagIdentity(std::string_view tag) {
  if (tag.starts_with("W/")) tag.remove_prefix(2);
  return std::string(tag.substr(0, tag.find('.')));
}

// A catalogue-service started on a loopback port.  It is told to end when
// this process ends, so a failed test cannot leave it running.
class ServiceProcess {
 public:
  // Starts `executable` with `arguments` plus "--port `port` --bind 127.0.0.1"
  // (port 0: a free one) and waits for its "listening on" line.  Standard
  // error goes to `log_path`.  Returns null, with the reason in `error`, when
  // it does not come up.
  static std::unique_ptr<ServiceProcess> Start(const std::string& executable,
                                               std::vector<std::string> arguments,
                                               const std::string& log_path, std::string* error,
                                               int port = 0);
  ~ServiceProcess();
  ServiceProcess(const ServiceProcess&) = delete;
  ServiceProcess& operator=(const ServiceProcess&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // Sends SIGTERM and waits (SIGKILL after a few seconds); the exit code, or -1.
  int Stop();

 private:
  ServiceProcess(pid_t pid, int port) : pid_(pid), port_(port) {}

  pid_t pid_;
  int port_;
  bool stopped_ = false;
  int exit_code_ = -1;
};

}  // namespace quorvel::testing
