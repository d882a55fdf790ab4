// The idle watcher: rovanel --idle SECONDS. The compositor says when the session has been idle
// that long (ext_idle_notifier_v1, else org_kde_kwin_idle; on GNOME, which offers neither, the
// session's idle monitor on D-Bus); the watcher then runs this program as a saver, and waits
// again once input has ended it.
#include <gio/gio.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "ext-idle-notify.h"
#include "kde-idle.h"
#include "platform/linux/fail.hpp"
#include "platform/wayland/connection.hpp"
#include "platform/wayland/wayland_face.hpp"

namespace rovanel {

namespace {

struct Watcher {
  wl_display* display = nullptr;
  wl_seat* seat = nullptr;
  ext_idle_notifier_v1* notifier = nullptr;
  org_kde_kwin_idle* kde_idle = nullptr;
  GDBusConnection* bus = nullptr;  // GNOME's idle monitor, where the compositor has neither
  bool idle = false;               // the session has been idle long enough since the last look
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

// The compositor's own notification, where it offers one.
bool watch_wayland(Watcher& watcher, std::uint32_t ms) {
  watcher.display = wl_display_connect(nullptr);
  if (watcher.display == nullptr) {
    return false;
  }
  wl_registry_add_listener(wl_display_get_registry(watcher.display), &kRegistryListener, &watcher);
  wl_display_roundtrip(watcher.display);
  if (watcher.seat != nullptr && watcher.notifier != nullptr) {
    ext_idle_notification_v1_add_listener(
        ext_idle_notifier_v1_get_idle_notification(watcher.notifier, ms, watcher.seat),
        &kNotificationListener, &watcher);
  } else if (watcher.seat != nullptr && watcher.kde_idle != nullptr) {
    org_kde_kwin_idle_timeout_add_listener(
        org_kde_kwin_idle_get_idle_timeout(watcher.kde_idle, watcher.seat, ms), &kTimeoutListener,
        &watcher);
  } else {
    wl_display_disconnect(watcher.display);
    watcher.display = nullptr;
    return false;
  }
  return true;
}

// GNOME's idle monitor: a watch that fires each time the session has been idle that long.
bool watch_gnome(Watcher& watcher, std::uint32_t ms) {
  watcher.bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (watcher.bus == nullptr) {
    return false;
  }
  constexpr const char* kName = "org.gnome.Mutter.IdleMonitor";
  constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
  GVariant* reply = g_dbus_connection_call_sync(
      watcher.bus, kName, kPath, kName, "AddIdleWatch", g_variant_new("(t)", guint64{ms}),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
  if (reply == nullptr) {
    return false;
  }
  g_variant_unref(reply);
  g_dbus_connection_signal_subscribe(
      watcher.bus, kName, kName, "WatchFired", kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
      [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
         gpointer data) { static_cast<Watcher*>(data)->idle = true; },
      &watcher, nullptr);
  return true;
}

// Waits up to a fifth of a second for the compositor, the bus or a signal.
void wait(Watcher& watcher, int stop_fd) {
  if (watcher.display != nullptr) {
    read_events(watcher.display, stop_fd, 200);
    return;
  }
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  pollfd fd = {stop_fd, POLLIN, 0};
  poll(&fd, 1, 200);
}

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
  Watcher watcher;
  const auto ms = static_cast<std::uint32_t>(seconds) * 1000u;
  if (!watch_wayland(watcher, ms) && !watch_gnome(watcher, ms)) {
    fail(
        "--idle: no idle notification to watch: neither the Wayland compositor "
        "(ext_idle_notifier_v1, org_kde_kwin_idle) nor GNOME's idle monitor on the session bus "
        "offers one");
  }
  const int stop_fd = install_stop_signals();
  pid_t show = 0;
  while (!stop_requested()) {
    if (watcher.idle && show == 0) {
      show = start_show();
    }
    watcher.idle = false;
    wait(watcher, stop_fd);
    if (show != 0 && waitpid(show, nullptr, WNOHANG) == show) {
      show = 0;
    }
  }
  if (show != 0) {
    kill(show, SIGTERM);
    waitpid(show, nullptr, 0);
  }
  return 0;
}

}  // namespace rovanel
