// Reading a Wayland connection, for the saver window and the idle watcher alike.
#pragma once

#include <wayland-client.h>

namespace rovanel {

// Reads what the compositor has sent, waiting up to timeout_ms (-1: until something comes) or
// until wake_fd becomes readable, and runs the listeners. A lost connection ends the program.
void read_events(wl_display* display, int wake_fd, int timeout_ms);

// One line naming the compositor, status 1.
[[noreturn]] void lost_connection(wl_display* display);

}  // namespace rovanel
