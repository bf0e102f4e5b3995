#pragma once

#include <windows.h>

#include <chrono>

namespace quorvel::catalogue {

// How a wait for a background fetch ended.
enum class BusyWaitEnd { kDone, kPastLimit, kQuit };

// Waits on the user-interface thread for `done` to be signalled, while the
// program's windows stay alive: every message but the user's input is
// dispatched as usual (painting, timers, posted messages), the user's mouse
// and keyboard input is dropped, not queued, so that a click made while a page
// loads does not fire once it has loaded, and the wait cursor shows.  Messages
// already queued when the wait starts are handled first.  A quit message ends
// the wait and is posted again for the caller's own loop.
BusyWaitEnd WaitKeepingWindowsAlive(HANDLE done, std::chrono::steady_clock::time_point limit);

// Mouse, keyboard, touch and pointer messages.
bool IsUserInput(UINT message);

}  // namespace quorvel::catalogue
