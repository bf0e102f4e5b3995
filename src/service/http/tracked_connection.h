#pragma once

#include "service/http/connection_deadlines.h"

struct MHD_Connection;

namespace quorvel::service {

// The deadline record a listener keeps for `connection` as its socket
// context; null when it keeps none.
ConnectionDeadlines::Connection* TrackedConnection(MHD_Connection* connection);

}  // namespace quorvel::service
