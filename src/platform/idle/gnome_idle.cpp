// GNOME's idle monitor on the session bus: a watch that fires each time the session has been
// idle that long.
#include <gio/gio.h>

#include <cstdlib>

#include "platform/idle/idle_source.hpp"

namespace rovanel {

namespace {

constexpr const char* kName = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";

class GnomeIdle final : public IdleSource {
 public:
  GnomeIdle(GDBusConnection* bus, Idled idled) : bus_(bus), idled_(std::move(idled)) {
    subscription_ = g_dbus_connection_signal_subscribe(
        bus_, kName, kName, "WatchFired", kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
           gpointer self) { static_cast<GnomeIdle*>(self)->idled_(); },
        this, nullptr);
  }
  ~GnomeIdle() override {
    g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    g_object_unref(bus_);
  }
  GnomeIdle(const GnomeIdle&) = delete;
  GnomeIdle& operator=(const GnomeIdle&) = delete;

 private:
  GDBusConnection* bus_;
  Idled idled_;
  guint subscription_ = 0;
};

}  // namespace

std::unique_ptr<IdleSource> gnome_idle(std::uint32_t ms, Idled idled) {
  // A session without a bus of its own: none is started (GLib would launch one for an X display).
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address == nullptr || *address == '\0') {
    return nullptr;
  }
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) {
    return nullptr;
  }
  GVariant* reply = g_dbus_connection_call_sync(
      bus, kName, kPath, kName, "AddIdleWatch", g_variant_new("(t)", guint64{ms}),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
  if (reply == nullptr) {
    g_object_unref(bus);
    return nullptr;
  }
  g_variant_unref(reply);
  return std::make_unique<GnomeIdle>(bus, std::move(idled));
}

}  // namespace rovanel
