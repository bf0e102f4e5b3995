#pragma once

#include <string>

namespace quorvel::shell {

// The folder that holds the program's executable, as Windows reports it,
// without a closing backslash.
std::u16string ProgramFolder();

}  // namespace quorvel::shell
