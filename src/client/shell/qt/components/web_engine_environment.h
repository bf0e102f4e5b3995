#pragma once

namespace quorvel::shell {

// Qt WebEngine refuses to start as root unless its sandbox is off, and wants
// its GPU process off where there is no GPU.  Both are facts of the machine,
// not settings: this looks at them and tells the engine before the
// application object exists.  Must run before QApplication is made.
void PrepareWebEngineEnvironment();

}  // namespace quorvel::shell
