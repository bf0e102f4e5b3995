#pragma once

// Plumbing for the small HTTP servers tests run on 127.0.0.1 to misbehave on
// purpose; what each server answers stays with the test that needs it.

#include <atomic>
#include <chrono>
#include <string>

namespace quorvel::testing {

// A TCP socket bound to 127.0.0.1:`port` (0 picks a free port), listening when
// `backlog` is above 0.  Returns the socket, or -1; `*bound_port` gets the port.
int BindLoopback(int port, int backlog, int* bound_port);

// A loopback port nothing listens on just now, or -1.  Another program may
// take it before the caller does; good enough for a port handed to a child.
int FreeLoopbackPort();

// A TCP socket connected to 127.0.0.1:`port`, or -1.
int ConnectLoopback(int port);

// Reads a request head from `s` up to its blank line and gives back the
// request target.  False when the peer goes, the head is malformed or over
// 64 KiB, `stop` is set, or `limit` passes first.
bool ReadRequestTarget(int s, const std::atomic<bool>& stop, std::chrono::milliseconds limit,
                       std::string* target);

}  // namespace quorvel::testing
