// The idle watcher, rovanel --idle SECONDS.
#pragma once

namespace rovanel {

// Runs the saver (this program with /S) whenever the session has been idle for the given
// seconds, and waits again once input has ended it, until a signal ends the watcher and its show
// (status 0). The first source of idleness the session offers tells (idle_source.hpp); with none
// the program ends with one line, status 1.
int watch_idle(int seconds);

}  // namespace rovanel
