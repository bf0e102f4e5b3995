#pragma once

#include <microhttpd.h>

#include "service/http/connection_deadlines.h"

namespace quorvel::service {

// The deadline record a listener keeps for `connection` as its socket
// context; null when it keeps none.
ConnectionDeadlines::Connection* TrackedConnection(MHD_Connection* connection);

// Keeps that record, from the library's notice (MHD_OPTION_NOTIFY_CONNECTION)
// that `connection` starts or closes: made in `deadlines` at the start, none
// when there is no memory for it (the connection is served all the same),
// deleted at the close.
void TrackConnection(ConnectionDeadlines& deadlines, MHD_Connection* connection,
                     void** socket_context, MHD_ConnectionNotificationCode code);

}  // namespace quorvel::service
