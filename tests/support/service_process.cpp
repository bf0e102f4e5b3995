#include "service_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace quorvel::testing {
namespace {

// Starts `executable` with standard output to `out_fd`, which it closes here,
// and standard error to `err_path`.  The process id, or -1.
pid_t Spawn(const std::string& executable, const std::vector<std::string>& arguments, int out_fd,
            const std::string& err_path) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // Between fork and exec: only async-signal-safe calls.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    const int err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out_fd < 0 || err_fd < 0) _exit(127);
    dup2(out_fd, STDOUT_FILENO);
    dup2(err_fd, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (out_fd >= 0) close(out_fd);
  return pid;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Waits for `pid` up to `timeout`; the exit code, or -1 (killed when still running).
int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (true) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

}  // namespace

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "quorvel-service-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& arguments,
                         int timeout_seconds) {
  TempDir scratch;
  const std::string out_path = scratch.File("out");
  const std::string err_path = scratch.File("err");
  const int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t pid = Spawn(executable, arguments, out_fd, err_path);
  ProgramResult result;
  if (pid < 0) return result;
  result.exit_code = WaitFor(pid, std::chrono::seconds(timeout_seconds));
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

pid_t StartProgram(const std::string& executable, const std::vector<std::string>& arguments,
                   const std::string& log_path) {
  return Spawn(executable, arguments,
               open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644), log_path);
}

int WaitForProgram(pid_t pid, int timeout_seconds) {
  return WaitFor(pid, std::chrono::seconds(timeout_seconds));
}

std::unique_ptr<ServiceProcess> ServiceProcess::Start(const std::string& executable,
                                                      std::vector<std::string> arguments,
                                                      const std::string& log_path,
                                                      std::string* error, int port) {
  arguments.insert(arguments.end(), {"--port", std::to_string(port), "--bind", "127.0.0.1"});
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
    *error = "pipe failed";
    return nullptr;
  }
  const pid_t pid = Spawn(executable, arguments, pipe_fds[1], log_path);
  if (pid < 0) {
    close(pipe_fds[0]);
    *error = "fork failed";
    return nullptr;
  }

  // Read the first line of standard output, giving up after a while.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{pipe_fds[0], POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(pipe_fds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipe_fds[0]);

  const std::string prefix = "listening on http://127.0.0.1:";
  const std::size_t at = line.find(prefix);
  port = at == std::string::npos ? 0 : std::atoi(line.c_str() + at + prefix.size());
  if (port <= 0) {
    const int code = WaitFor(pid, std::chrono::milliseconds(2000));
    *error = "service did not come up (exit code " + std::to_string(code) + "), stdout: " + line +
             ", stderr: " + ReadFile(log_path);
    return nullptr;
  }
  return std::unique_ptr<ServiceProcess>(new ServiceProcess(pid, port));
}

int ServiceProcess::Stop() {
  if (!stopped_) {
    kill(pid_, SIGTERM);
    exit_code_ = WaitFor(pid_, std::chrono::seconds(10));
    stopped_ = true;
  }
  return exit_code_;
}

ServiceProcess::~ServiceProcess() { Stop(); }

}  // namespace quorvel::testing
