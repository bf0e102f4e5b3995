#pragma once

#include <cstddef>

struct MHD_Connection;

namespace quorvel::service {

// Keeps libmicrohttpd from spending a connection's memory on the arguments
// of its query.  Right after it announces a request's address, the library
// splits the query into arguments and keeps a record of each, 64 bytes a
// "&", in the memory meant for the head: a few hundred of them use it up,
// and libmicrohttpd 0.9 then neither answers nor closes (its 431 is logged,
// never sent).  The service reads the query from its own copy of the
// address, never from those records.
class QueryArguments {
 public:
  // Leaves the library an empty query to split, from the callback that
  // announces `uri` (MHD_OPTION_URI_LOG_CALLBACK).  Both 0.9.75 and 1.0
  // split the query after that callback, in place, up to its first NUL; the
  // address they pass on ends at the '?' anyway.  A NUL before the '?' hides
  // it here: 1.0 ends such a connection itself, and on 0.9 Unescape() does.
  static void LeaveUnsplit(const char* uri, MHD_Connection* connection);

  // libmicrohttpd 0.9's unescape hook (MHD_OPTION_UNESCAPE_CALLBACK, with the
  // listener's ConnectionDeadlines as `deadlines`), which it calls for the
  // path and for each argument of a query it splits.  It splits none but one
  // a NUL hid from LeaveUnsplit(): a request refused anyway, and one the
  // library would neither answer nor close once its arguments use up the
  // memory.  Such a connection is given up on after kMostArguments: closed
  // at once, as 1.0 closes one with a NUL in its request line.
  static std::size_t Unescape(void* deadlines, MHD_Connection* connection, char* text);

  // Whether the library is splitting, on this thread, the query of a
  // connection given up on: a refusal it reports now is never sent.
  static bool GivenUp();

  // Far fewer than the connection's memory holds.
  static constexpr unsigned kMostArguments = 64;
};

}  // namespace quorvel::service
