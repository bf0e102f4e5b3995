#include "bench_options.h"

#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace quorvel::service::bench {

bool ReadSettings(int argc, char** argv, const std::vector<Setting>& settings) {
  std::string problem;
  for (int i = 1; i < argc && problem.empty(); ++i) {
    const Setting* found = nullptr;
    for (const Setting& setting : settings) {
      if (std::strcmp(argv[i], setting.name) == 0) found = &setting;
    }
    if (found == nullptr || i + 1 >= argc) {
      problem = std::string(argv[i]) + (found == nullptr ? " is not a setting" : " needs a value");
      break;
    }
    const char* value = argv[++i];
    if (std::string* const* text = std::get_if<std::string*>(&found->value)) {
      **text = value;
      continue;
    }
    const int number = std::atoi(value);
    if (number < found->least || number > found->most) {
      problem = std::string(found->name) + " is " + std::to_string(found->least) + " to " +
                std::to_string(found->most);
    }
    *std::get<int*>(found->value) = number;
  }
  if (problem.empty()) return true;
  std::string usage = "usage: " + std::string(argv[0]);
  for (const Setting& setting : settings) {
    usage += std::string(" [") + setting.name +
             (std::holds_alternative<int*>(setting.value) ? " N]" : " PATH]");
  }
  std::fprintf(stderr, "%s\n%s\n", problem.c_str(), usage.c_str());
  return false;
}

void PrepareForLoad() {
  signal(SIGPIPE, SIG_IGN);
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
  }
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string load;
  std::getline(in, load);
  return load;
}

bool ReadLoadSettings(int argc, char** argv, int* requests, int* connections,
                      std::initializer_list<Setting> more) {
  std::vector<Setting> settings{{"--requests", requests}, {"--connections", connections, 1, 1000}};
  settings.insert(settings.end(), more.begin(), more.end());
  if (!ReadSettings(argc, argv, settings)) return false;
  PrepareForLoad();
  return true;
}

}  // namespace quorvel::service::bench
