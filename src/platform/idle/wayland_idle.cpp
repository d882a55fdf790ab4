// The compositor's own idle notification: ext_idle_notifier_v1, else org_kde_kwin_idle.
#include <glib-unix.h>
#include <wayland-client.h>

#include <string_view>

#include "ext-idle-notify.h"
#include "kde-idle.h"
#include "platform/idle/idle_source.hpp"
#include "platform/wayland/connection.hpp"

namespace rovanel {

namespace {

class WaylandIdle final : public IdleSource {
 public:
  WaylandIdle(wl_display* display, Idled idled) : display_(display), idled_(std::move(idled)) {}
  ~WaylandIdle() override {
    if (watch_ != 0) {
      g_source_remove(watch_);
    }
    wl_display_disconnect(display_);
  }
  WaylandIdle(const WaylandIdle&) = delete;
  WaylandIdle& operator=(const WaylandIdle&) = delete;

  // Asks for the notification, if the compositor offers one; its events from now on in the main
  // loop.
  bool watch(std::uint32_t ms);

  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t);
  template <class... Args>
  static void idled(void* data, Args...) {
    static_cast<WaylandIdle*>(data)->idled_();
  }

 private:
  wl_display* display_;
  Idled idled_;
  wl_seat* seat_ = nullptr;
  ext_idle_notifier_v1* notifier_ = nullptr;
  org_kde_kwin_idle* kde_idle_ = nullptr;
  guint watch_ = 0;
};

const wl_registry_listener kRegistryListener = {
    .global = WaylandIdle::global,
    .global_remove = ignore,
};

const ext_idle_notification_v1_listener kNotificationListener = {
    .idled = WaylandIdle::idled,
    .resumed = ignore,
};

const org_kde_kwin_idle_timeout_listener kTimeoutListener = {
    .idle = WaylandIdle::idled,
    .resumed = ignore,
};

void WaylandIdle::global(void* data, wl_registry* registry, std::uint32_t name,
                         const char* interface, std::uint32_t) {
  auto& self = *static_cast<WaylandIdle*>(data);
  const std::string_view which(interface);
  if (which == wl_seat_interface.name && self.seat_ == nullptr) {
    self.seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (which == ext_idle_notifier_v1_interface.name) {
    self.notifier_ = static_cast<ext_idle_notifier_v1*>(
        wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
  } else if (which == org_kde_kwin_idle_interface.name) {
    self.kde_idle_ = static_cast<org_kde_kwin_idle*>(
        wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
  }
}

bool WaylandIdle::watch(std::uint32_t ms) {
  wl_registry_add_listener(wl_display_get_registry(display_), &kRegistryListener, this);
  if (wl_display_roundtrip(display_) < 0) {
    lost_connection(display_);
  }
  if (seat_ != nullptr && notifier_ != nullptr) {
    ext_idle_notification_v1_add_listener(
        ext_idle_notifier_v1_get_idle_notification(notifier_, ms, seat_), &kNotificationListener,
        this);
  } else if (seat_ != nullptr && kde_idle_ != nullptr) {
    org_kde_kwin_idle_timeout_add_listener(org_kde_kwin_idle_get_idle_timeout(kde_idle_, seat_, ms),
                                           &kTimeoutListener, this);
  } else {
    return false;
  }
  wl_display_flush(display_);
  watch_ = g_unix_fd_add(
      wl_display_get_fd(display_), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
      [](gint, GIOCondition, gpointer display) {
        read_events(static_cast<wl_display*>(display), -1, 0);
        return gboolean{G_SOURCE_CONTINUE};
      },
      display_);
  return true;
}

}  // namespace

std::unique_ptr<IdleSource> wayland_idle(std::uint32_t ms, Idled idled) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    return nullptr;
  }
  auto source = std::make_unique<WaylandIdle>(display, std::move(idled));
  return source->watch(ms) ? std::move(source) : nullptr;
}

}  // namespace rovanel
