#pragma once

#include <initializer_list>
#include <limits>
#include <string>
#include <variant>
#include <vector>

namespace quorvel::service::bench {

// One setting of a benchmark's command line: "--name N" into an int from
// `least` to `most`, or "--name TEXT" into a string.
struct Setting {
  const char* name;
  std::variant<int*, std::string*> value;
  int least = 1;
  int most = std::numeric_limits<int>::max();
};

// Reads "--name value" pairs from the command line into `settings`; at
// anything else, or a number out of its range, says what was wrong and the
// usage, made of the settings' names, and returns false.
bool ReadSettings(int argc, char** argv, const std::vector<Setting>& settings);

// ReadSettings for a benchmark that drives a service: "--requests N" and
// "--connections N" (1 to 1000) first, then `more`; when they read well, the
// process is readied for load (PrepareForLoad).
bool ReadLoadSettings(int argc, char** argv, int* requests, int* connections,
                      std::initializer_list<Setting> more);

// Readies this process to drive a service: a peer that closes a connection
// costs the request at hand, not the process (SIGPIPE is ignored), and every
// client connection may have its descriptor (the soft limit is raised to the
// hard one).
void PrepareForLoad();

// The machine's load average, as /proc/loadavg says it: work elsewhere on the
// same cores shows up in every figure.
std::string LoadAverage();

}  // namespace quorvel::service::bench
