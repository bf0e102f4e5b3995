#pragma once

#include <sys/types.h>

#include <vector>

namespace quorvel::service::bench {

// CPU time (user and system) the processes have used so far, in seconds.
double ProcessCpuSeconds(const std::vector<pid_t>& pids);

// Resident memory of a process in KiB, or -1.
long ResidentKib(pid_t pid);

// `pid` and its children, such as nginx's master and its workers.
std::vector<pid_t> WithChildren(pid_t pid);

}  // namespace quorvel::service::bench
