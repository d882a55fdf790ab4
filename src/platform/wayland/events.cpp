#include "platform/wayland/events.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/fail.hpp"

namespace rovanel {

void read_events(wl_display* display, int wake_fd, int timeout_ms) {
  while (wl_display_prepare_read(display) != 0) {
    if (wl_display_dispatch_pending(display) < 0) {
      lost_connection(display);
    }
  }
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    lost_connection(display);
  }
  pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {wake_fd, POLLIN, 0}};
  if (poll(fds, 2, timeout_ms) > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
    if (wl_display_read_events(display) < 0) {
      lost_connection(display);
    }
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) {
    lost_connection(display);
  }
}

void lost_connection(wl_display* display) {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  const int error = wl_display_get_error(display);
  fail(std::string("lost the connection to the Wayland compositor '") +
       (name != nullptr ? name : "") + "'" +
       (error != 0 && error != EPIPE ? std::string(" (") + std::strerror(error) + ")" : ""));
}

}  // namespace rovanel
