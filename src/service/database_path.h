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

// Why user `uid` must not open `path` (a file to read or write, a symbolic
// link to one, or a name yet to be made): a folder on the way to it, or to
// what it links to, that someone else can change.  That is a folder owned by
// anyone but `uid` and root, or writable by its group or by everyone; a
// sticky bit makes that safe for the folders above the one that holds the
// file, as it keeps others from renaming what is not theirs, but not for that
// one, where they may plant a name before it is made.  In such a folder a
// link planted by the one who can change it would send `uid`'s reads and
// writes to any file `uid` may reach.  Empty when nothing stands in the way.
// Looks, never touches.
std::string FolderOthersCanChange(const std::string& path, unsigned uid);

}  // namespace quorvel::service
