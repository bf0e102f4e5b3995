#include "service/http/tracked_connection.h"

#include <microhttpd.h>

namespace quorvel::service {

ConnectionDeadlines::Connection* TrackedConnection(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info != nullptr ? static_cast<ConnectionDeadlines::Connection*>(info->socket_context)
                         : nullptr;
}

}  // namespace quorvel::service
