// The connection to the Wayland compositor, for the saver window and the idle watcher alike.
#pragma once

#include <wayland-client.h>

#include <string>

namespace rovanel {

// Whether WAYLAND_DISPLAY names a compositor that answers.
bool wayland_reachable();

// The compositor as messages name it: "the Wayland compositor 'wayland-1'".
std::string compositor_name();

// Reads what the compositor has sent, waiting up to timeout_ms (-1: until something comes) or
// until wake_fd (if not -1) becomes readable, and runs the listeners. A lost connection ends the
// program.
void read_events(wl_display* display, int wake_fd, int timeout_ms);

// One line naming the compositor, status 1.
[[noreturn]] void lost_connection(wl_display* display);

// The handler of every event a client leaves alone, whatever it carries, for listener tables.
template <class... Args>
void ignore(void*, Args...) {}

}  // namespace rovanel
