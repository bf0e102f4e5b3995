#pragma once

#include <string>

namespace quorvel::service {

// Where the catalogue database is to be read and written, or why it cannot be.
struct DatabasePath {
  std::string path;     // a symbolic link is followed, so replacing the file keeps the link
  std::string problem;  // empty when `path` may be used; else one line saying why not
};

// Accepts a regular file, a symbolic link to one, or a path that does not
// exist yet.  Anything else (a folder, a device, a FIFO, a socket, a link to
// one of those or to nothing) is refused, so that creating or replacing the
// catalogue can never replace it.  Looks, never touches.
DatabasePath CheckDatabasePath(const std::string& path);

}  // namespace quorvel::service
