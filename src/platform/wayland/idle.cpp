// The idle watcher: rovanel --idle SECONDS.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ext-idle-notify.h"
#include "kde-idle.h"
#include "platform/linux/invocation.hpp"
#include "platform/wayland/wayland_face.hpp"

namespace rovanel {

namespace {

struct Watcher {
  wl_seat* seat = nullptr;
  ext_idle_notifier_v1* notifier = nullptr;
  org_kde_kwin_idle* kde_idle = nullptr;
  bool idle = false;  // the session has been idle long enough, and no show has started since
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
  auto* watcher = static_cast<Watcher*>(data);
  const std::string_view which(interface);
  if (which == wl_seat_interface.name && watcher->seat == nullptr) {
    watcher->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (which == ext_idle_notifier_v1_interface.name) {
    watcher->notifier = static_cast<ext_idle_notifier_v1*>(
        wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
  } else if (which == org_kde_kwin_idle_interface.name) {
    watcher->kde_idle = static_cast<org_kde_kwin_idle*>(
        wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
  }
}

const wl_registry_listener kRegistryListener = {global, [](void*, wl_registry*, std::uint32_t) {}};
const ext_idle_notification_v1_listener kNotificationListener = {
    [](void* data, ext_idle_notification_v1*) { static_cast<Watcher*>(data)->idle = true; },
    [](void*, ext_idle_notification_v1*) {}};
const org_kde_kwin_idle_timeout_listener kTimeoutListener = {
    [](void* data, org_kde_kwin_idle_timeout*) { static_cast<Watcher*>(data)->idle = true; },
    [](void*, org_kde_kwin_idle_timeout*) {}};

// This program again, as a saver on its own; it ends on input like any other.
pid_t start_show() {
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGPIPE, SIG_DFL);
    execl("/proc/self/exe", "rovanel", "/s", static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

}  // namespace

int watch_idle(int seconds) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    fail(std::string("--idle needs a Wayland session: cannot connect to the compositor '") +
         (name != nullptr ? name : "") + "'");
  }
  Watcher watcher;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &watcher);
  wl_display_roundtrip(display);
  if (watcher.seat == nullptr || (watcher.notifier == nullptr && watcher.kde_idle == nullptr)) {
    fail(
        "the Wayland compositor offers no idle notification (ext_idle_notifier_v1 or "
        "org_kde_kwin_idle) for a seat");
  }
  const auto timeout = static_cast<std::uint32_t>(seconds) * 1000u;
  if (watcher.notifier != nullptr) {
    ext_idle_notification_v1_add_listener(
        ext_idle_notifier_v1_get_idle_notification(watcher.notifier, timeout, watcher.seat),
        &kNotificationListener, &watcher);
  } else {
    org_kde_kwin_idle_timeout_add_listener(
        org_kde_kwin_idle_get_idle_timeout(watcher.kde_idle, watcher.seat, timeout),
        &kTimeoutListener, &watcher);
  }
  const int stop_fd = install_stop_signals();
  pid_t show = 0;
  while (!stop_requested()) {
    if (watcher.idle && show == 0) {
      show = start_show();
    }
    watcher.idle = false;
    // Wake for the compositor, a signal, or every fifth of a second to see whether the show
    // has ended.
    while (wl_display_prepare_read(display) != 0) {
      wl_display_dispatch_pending(display);
    }
    wl_display_flush(display);
    pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {stop_fd, POLLIN, 0}};
    if (poll(fds, 2, 200) > 0 && (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
      if (wl_display_read_events(display) < 0) {
        fail("lost the connection to the Wayland compositor");
      }
    } else {
      wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0) {
      fail("lost the connection to the Wayland compositor");
    }
    if (show != 0 && waitpid(show, nullptr, WNOHANG) == show) {
      show = 0;
    }
  }
  if (show != 0) {
    kill(show, SIGTERM);
    waitpid(show, nullptr, 0);
  }
  wl_display_disconnect(display);
  return 0;
}

}  // namespace rovanel
