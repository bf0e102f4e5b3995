#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::service {

// Tells at once when some files of a folder may have changed: written,
// created, removed, or replaced by a rename, by this process or any other on
// the machine (inotify).  A folder on a network file system may not tell of
// changes made on other machines, so whoever relies on it still looks now and
// then by itself.
class FolderWatch {
 public:
  // Watches the files `names` in `folder`, and calls `changed` on a thread of
  // its own after each batch of events that names one of them, or may have
  // (the kernel's queue overflowed, the folder went).  When the folder cannot
  // be watched, nothing is ever called and problem() says why.
  FolderWatch(const std::string& folder, std::vector<std::string> names,
              std::function<void()> changed);
  // Once it returns, `changed` is neither running nor called again.
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Empty while watching; else one line saying why not.
  const std::string& problem() const { return problem_; }

 private:
  void Run();
  // Reads what is queued; true when it names a watched file or may have.
  bool Concerns();

  const std::vector<std::string> names_;
  const std::function<void()> changed_;
  int inotify_ = -1;
  int stop_ = -1;  // an eventfd the destructor writes to
  std::string problem_;
  std::thread thread_;
};

}  // namespace quorvel::service
