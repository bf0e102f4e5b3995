#include "process_usage.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace quorvel::service::bench {

double ProcessCpuSeconds(const std::vector<pid_t>& pids) {
  double ticks = 0;
  for (const pid_t pid : pids) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (stat.rfind(')') == std::string::npos) continue;
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    // Fields 14 and 15: user and system time in clock ticks.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i >= 14) ticks += std::atof(field.c_str());
    }
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long StatusKib(pid_t pid, std::string_view key) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ':') {
      return std::atol(line.c_str() + key.size() + 1);
    }
  }
  return -1;
}

std::vector<pid_t> WithChildren(pid_t pid) {
  std::vector<pid_t> pids = {pid};
  std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                         "/children");
  for (pid_t child = 0; children >> child;) pids.push_back(child);
  return pids;
}

}  // namespace quorvel::service::bench
