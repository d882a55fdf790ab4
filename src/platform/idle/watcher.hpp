// The idle watcher, rovanel --idle SECONDS.
#pragma once

namespace rovanel {

// The lock a running watcher holds.
inline constexpr const char* kWatcherLock = "rovanel-idle.lock";

// Runs the saver (this program with /S) whenever the session has been idle for the given
// seconds, and waits again once input has ended it, until a signal ends the watcher and its show
// (status 0). The first source of idleness the session offers tells (idle_source.hpp); with none
// the program ends with one line, status 1. Beside another watcher of the user's it ends at
// once, saying so (status 0).
int watch_idle(int seconds);

}  // namespace rovanel
