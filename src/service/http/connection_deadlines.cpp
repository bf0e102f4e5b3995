#include "service/http/connection_deadlines.h"

#include <sys/socket.h>

namespace quorvel::service {

class ConnectionDeadlines::Connection {
 public:
  Connection(int fd, Clock::time_point deadline) : fd(fd), deadline(deadline.time_since_epoch()) {}

  const int fd;
  // Clock::duration::max() while no head is due.
  std::atomic<Clock::duration> deadline;
  // Touched only by the connection's serving thread.
  bool busy = false;
  bool closing = false;
};

ConnectionDeadlines::~ConnectionDeadlines() {
  for (Connection* connection : open_) delete connection;
}

ConnectionDeadlines::Connection* ConnectionDeadlines::Opened(int fd) {
  auto* connection = new Connection(fd, Clock::now() + allowance_);
  std::lock_guard lock(mutex_);
  open_.insert(connection);
  return connection;
}

void ConnectionDeadlines::HeadReceived(Connection* connection) {
  if (connection == nullptr || connection->busy || connection->closing) return;
  connection->busy = true;
  connection->deadline = Clock::duration::max();
  ++replies_under_way_;
}

void ConnectionDeadlines::ReplyDone(Connection* connection) {
  if (connection == nullptr || !connection->busy) return;
  connection->busy = false;
  if (!connection->closing) connection->deadline = (Clock::now() + allowance_).time_since_epoch();
  --replies_under_way_;
}

void ConnectionDeadlines::CloseAtOnce(Connection* connection) {
  if (connection == nullptr) return;
  connection->closing = true;
  connection->deadline = Clock::duration::min();
}

bool ConnectionDeadlines::Closing(const Connection* connection) {
  return connection != nullptr && connection->closing;
}

void ConnectionDeadlines::Closed(Connection* connection) {
  if (connection == nullptr) return;
  ReplyDone(connection);
  {
    std::lock_guard lock(mutex_);
    open_.erase(connection);
  }
  delete connection;
}

std::size_t ConnectionDeadlines::CloseOverdue(Clock::time_point now) {
  std::size_t closed = 0;
  std::lock_guard lock(mutex_);
  for (Connection* connection : open_) {
    if (connection->deadline.load() > now.time_since_epoch()) continue;
    // Once is enough: the server notices the end on its next read.
    connection->deadline = Clock::duration::max();
    ::shutdown(connection->fd, SHUT_RDWR);
    ++closed;
  }
  return closed;
}

}  // namespace quorvel::service
