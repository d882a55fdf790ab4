// rovanel --autostart SECONDS | off: the idle watcher at every login and now, or neither.
#pragma once

#include <string>
#include <string_view>

namespace rovanel {

// With seconds: writes the user's XDG autostart entry that runs "rovanel --idle SECONDS" at
// login, ends a watcher that runs and starts this one, detached from the caller. With 0 (off):
// removes the entry and ends the watcher. Returns the program's status; what cannot be done ends
// it with one line (status 1).
int autostart(int seconds);

// A program's path as one argument of a desktop entry's Exec key: quoted where it must be, its
// percent signs doubled; the value as the entry's text holds it.
std::string exec_argument(std::string_view path);

}  // namespace rovanel
