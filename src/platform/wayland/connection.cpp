#include "platform/wayland/connection.hpp"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/linux/fail.hpp"

namespace rovanel {

bool wayland_reachable() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || *name == '\0') {
    return false;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return false;
  }
  wl_display_disconnect(display);
  return true;
}

std::string compositor_name() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return std::string("the Wayland compositor '") + (name != nullptr ? name : "") + "'";
}

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
  const int error = wl_display_get_error(display);
  fail("lost the connection to " + compositor_name() +
       (error != 0 && error != EPIPE ? std::string(" (") + std::strerror(error) + ")" : ""));
}

}  // namespace rovanel
