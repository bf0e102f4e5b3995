#pragma once

#include <string>

struct MHD_Response;

namespace quorvel::service {

// A response of the server's whose body is `body`, handed over rather than
// copied: the response owns it and frees it with its last reference, so it
// may be queued on any number of connections and outlive its maker.  Null
// when the server cannot make one; the body is freed then.
MHD_Response* ResponseOwning(std::string body);

}  // namespace quorvel::service
