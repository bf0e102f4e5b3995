#include "nginx_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "loopback_socket.h"
#include "service_process.h"

namespace quorvel::testing {
namespace {

std::string MainConfig(const std::string& folder) {
  std::ostringstream out;
  // As root, nginx would run its workers as nobody, who may not enter the
  // test's private folder.
  if (::geteuid() == 0) out << "user root;\n";
  out << "daemon off;\n"
         "master_process on;\n"
         "worker_processes 2;\n"
      << "pid " << folder << "/nginx.pid;\n"
      << "error_log " << folder << "/error.log warn;\n"
      << "events { worker_connections 4096; }\n"
         "http {\n"
      << "  client_body_temp_path " << folder << "/client_body;\n"
      << "  proxy_temp_path " << folder << "/proxy_temp;\n"
      << "  fastcgi_temp_path " << folder << "/fastcgi_temp;\n"
      << "  uwsgi_temp_path " << folder << "/uwsgi_temp;\n"
      << "  scgi_temp_path " << folder << "/scgi_temp;\n"
      << "  access_log " << folder << "/access.log;\n"
      << "  include " << folder << "/site.conf;\n"
      << "}\n";
  return out.str();
}

}  // namespace

std::string NginxProcess::Executable() {
  for (const char* path : {"/usr/sbin/nginx", "/usr/local/sbin/nginx"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return {};
}

std::unique_ptr<NginxProcess> NginxProcess::Start(const std::string& folder,
                                                  const std::string& http_config, int port,
                                                  std::string* error) {
  const std::string executable = Executable();
  if (executable.empty()) {
    *error = "nginx is not installed (Debian package nginx)";
    return nullptr;
  }
  std::ofstream(folder + "/nginx.conf") << MainConfig(folder);
  std::ofstream(folder + "/site.conf") << http_config;
  const pid_t pid = StartProgram(
      executable, {"-p", folder, "-e", folder + "/error.log", "-c", folder + "/nginx.conf"},
      folder + "/nginx.out");
  if (pid < 0) {
    *error = "cannot start " + executable;
    return nullptr;
  }
  std::unique_ptr<NginxProcess> nginx(new NginxProcess(pid, folder));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    const int s = ConnectLoopback(port);
    if (s >= 0) {
      ::close(s);
      return nginx;
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      nginx->stopped_ = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  *error = "nginx did not come up: " + nginx->ErrorLog();
  return nullptr;
}

std::string NginxProcess::ErrorLog() const {
  std::ifstream in(folder_ + "/error.log");
  std::ostringstream text;
  text << in.rdbuf();
  std::ifstream out(folder_ + "/nginx.out");
  text << out.rdbuf();
  return text.str();
}

int NginxProcess::Stop() {
  if (!stopped_) {
    ::kill(pid_, SIGTERM);
    exit_code_ = WaitForProgram(pid_, 10);
    stopped_ = true;
  }
  return exit_code_;
}

NginxProcess::~NginxProcess() { Stop(); }

}  // namespace quorvel::testing
