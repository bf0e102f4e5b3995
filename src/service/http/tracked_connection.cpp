#include "service/http/tracked_connection.h"

#include <exception>

namespace quorvel::service {

ConnectionDeadlines::Connection* TrackedConnection(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info != nullptr ? static_cast<ConnectionDeadlines::Connection*>(info->socket_context)
                         : nullptr;
}

void TrackConnection(ConnectionDeadlines& deadlines, MHD_Connection* connection,
                     void** socket_context, MHD_ConnectionNotificationCode code) {
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    try {
      *socket_context = info != nullptr ? deadlines.Opened(info->connect_fd) : nullptr;
    } catch (const std::exception&) {
      *socket_context = nullptr;
    }
  } else {
    deadlines.Closed(static_cast<ConnectionDeadlines::Connection*>(*socket_context));
    *socket_context = nullptr;
  }
}

}  // namespace quorvel::service
