#pragma once

#include <sys/types.h>

#include <string_view>
#include <vector>

namespace quorvel::service::bench {

// CPU time (user and system) the processes have used so far, in seconds.
double ProcessCpuSeconds(const std::vector<pid_t>& pids);

// A figure of /proc/PID/status in KiB (VmRSS, VmHWM), or -1.
long StatusKib(pid_t pid, std::string_view key);

// Resident memory of a process in KiB, or -1.
inline long ResidentKib(pid_t pid) { return StatusKib(pid, "VmRSS"); }

// `pid` and its children, such as nginx's master and its workers.
std::vector<pid_t> WithChildren(pid_t pid);

}  // namespace quorvel::service::bench
