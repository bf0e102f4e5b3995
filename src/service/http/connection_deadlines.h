#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <unordered_set>

namespace quorvel::service {

// Holds every open connection to one rule: a whole request head must arrive
// within `allowance` of the connection opening or of its previous reply.  The
// server's own idle timeout restarts with every byte, so a client trickling one
// byte at a time would otherwise keep its connection for ever.
//
// Opened(), HeadReceived(), ReplyDone() and Closed() come from the serving
// threads; CloseOverdue() from any one thread.  A socket is only ever shut down
// while its connection is registered, and the server closes the descriptor only
// after Closed(), so a descriptor number reused by a newer connection is never
// touched.
class ConnectionDeadlines {
 public:
  using Clock = std::chrono::steady_clock;
  class Connection;

  explicit ConnectionDeadlines(Clock::duration allowance) : allowance_(allowance) {}
  ~ConnectionDeadlines();
  ConnectionDeadlines(const ConnectionDeadlines&) = delete;
  ConnectionDeadlines& operator=(const ConnectionDeadlines&) = delete;

  // Registers the connection on socket `fd`; owned here until Closed().
  Connection* Opened(int fd);
  // The head is in: no deadline while its reply is worked on and sent.
  void HeadReceived(Connection* connection);
  // The reply is out: the next head is due within the allowance.
  void ReplyDone(Connection* connection);
  // Deletes `connection`.
  void Closed(Connection* connection);
  // Makes `connection` overdue for good: the next CloseOverdue() shuts it
  // down, whatever it sends meanwhile.  From its serving thread.
  void CloseAtOnce(Connection* connection);
  // Whether CloseAtOnce() was called for `connection`, which is then served
  // no more.  From its serving thread.
  static bool Closing(const Connection* connection);

  // Shuts down the socket of every connection past its deadline, so that the
  // server sees it end and closes it.  Returns how many.
  std::size_t CloseOverdue(Clock::time_point now);

  // Connections whose head is in and whose reply is not yet out.
  std::size_t RepliesUnderWay() const { return replies_under_way_.load(); }

 private:
  const Clock::duration allowance_;
  std::mutex mutex_;
  std::unordered_set<Connection*> open_;
  std::atomic<std::size_t> replies_under_way_{0};
};

}  // namespace quorvel::service
