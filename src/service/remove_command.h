#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace quorvel::service {

// --remove: takes the entries whose EntryIds are `entry_ids` out of the
// catalogue at `db_path` in one step, as an import changes it: all of them,
// or, when the catalogue lacks one of them or cannot be changed, none, and
// then `err` ends with one line naming the cause.  A catalogue that does not
// exist is not created.  Returns the exit status: 0 when removed, 1 when not.
int RunRemove(const std::string& db_path, const std::vector<std::string>& entry_ids,
              std::ostream& out, std::ostream& err);

}  // namespace quorvel::service
