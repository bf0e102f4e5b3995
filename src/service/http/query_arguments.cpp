#include "service/http/query_arguments.h"

#include <microhttpd.h>

#include <cstring>

#include "service/http/connection_deadlines.h"
#include "service/http/tracked_connection.h"

namespace quorvel::service {
namespace {

// The request whose query the library may be splitting on this thread: it
// does so right after it announces the address.
struct Splitting {
  MHD_Connection* connection = nullptr;
  const char* address = nullptr;  // unescaped last, once the query is split
  unsigned arguments = 0;         // unescaped so far
};
thread_local Splitting splitting;

}  // namespace

void QueryArguments::LeaveUnsplit(const char* uri, MHD_Connection* connection) {
  splitting = {connection, uri, 0};
  if (uri == nullptr) return;
  const char* mark = std::strchr(uri, '?');
  if (mark != nullptr && mark[1] != '\0') const_cast<char*>(mark)[1] = '\0';
}

std::size_t QueryArguments::Unescape(void* deadlines, MHD_Connection* connection, char* text) {
  if (connection == splitting.connection) {
    if (text == splitting.address) {
      splitting = {};
    } else if (++splitting.arguments == kMostArguments) {
      static_cast<ConnectionDeadlines*>(deadlines)->CloseAtOnce(TrackedConnection(connection));
    }
  }
  return MHD_http_unescape(text);
}

bool QueryArguments::GivenUp() { return splitting.arguments >= kMostArguments; }

}  // namespace quorvel::service
