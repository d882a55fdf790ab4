// The X server's own idle time, for an X11 session with neither a Wayland compositor nor GNOME's
// monitor: an alarm on the SYNC extension's IDLETIME counter, which the server raises each time
// the time without input passes the mark.
#include <X11/Xlib.h>
#include <X11/extensions/sync.h>
#include <glib-unix.h>

#include <cstring>

#include "platform/idle/idle_source.hpp"
#include "platform/wayland/connection.hpp"
#include "platform/x11/x11_face.hpp"

namespace rovanel {

namespace {

class X11Idle final : public IdleSource {
 public:
  X11Idle(Display* display, Idled idled) : display_(display), idled_(std::move(idled)) {}
  ~X11Idle() override {
    if (watch_ != 0) {
      g_source_remove(watch_);
    }
    XCloseDisplay(display_);
  }
  X11Idle(const X11Idle&) = delete;
  X11Idle& operator=(const X11Idle&) = delete;

  // Sets the alarm, if the server has the counter; its events from now on in the main loop.
  bool watch(std::uint32_t ms);

 private:
  // Runs idled for each alarm.
  void read_events();

  Display* display_;
  Idled idled_;
  int event_base_ = 0;
  XSyncAlarm alarm_ = 0;
  guint watch_ = 0;
};

constexpr unsigned long kAlarmFields = XSyncCACounter | XSyncCAValueType | XSyncCAValue |
                                       XSyncCATestType | XSyncCADelta | XSyncCAEvents;

bool X11Idle::watch(std::uint32_t ms) {
  int error_base = 0;
  int major = 0;
  int minor = 0;
  if (!XSyncQueryExtension(display_, &event_base_, &error_base) ||
      !XSyncInitialize(display_, &major, &minor)) {
    return false;
  }
  int count = 0;
  XSyncSystemCounter* counters = XSyncListSystemCounters(display_, &count);
  XSyncCounter idle_time = 0;
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(counters[i].name, "IDLETIME") == 0) {
      idle_time = counters[i].counter;
    }
  }
  if (counters != nullptr) {
    XSyncFreeSystemCounterList(counters);
  }
  if (idle_time == 0) {
    return false;
  }
  // Each time the idle time rises past the mark: a transition, so never again before input.
  XSyncAlarmAttributes attributes{};
  attributes.trigger.counter = idle_time;
  attributes.trigger.value_type = XSyncAbsolute;
  attributes.trigger.test_type = XSyncPositiveTransition;
  XSyncIntToValue(&attributes.trigger.wait_value, static_cast<int>(ms));
  XSyncIntToValue(&attributes.delta, 0);
  attributes.events = True;
  alarm_ = XSyncCreateAlarm(display_, kAlarmFields, &attributes);
  XSetIOErrorHandler(lost_x_connection);
  XFlush(display_);
  watch_ = g_unix_fd_add(
      ConnectionNumber(display_), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
      [](gint, GIOCondition, gpointer self) {
        static_cast<X11Idle*>(self)->read_events();
        return gboolean{G_SOURCE_CONTINUE};
      },
      this);
  return true;
}

void X11Idle::read_events() {
  // XPending reads what the connection has; a server gone ends the program through the handler.
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type != event_base_ + XSyncAlarmNotify) {
      continue;
    }
    const auto& alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event);
    if (alarm.alarm != alarm_) {
      continue;
    }
    // Changing nothing schedules the alarm again, which some X servers leave undone otherwise.
    XSyncAlarmAttributes unchanged{};
    XSyncChangeAlarm(display_, alarm_, 0, &unchanged);
    idled_();
  }
  XFlush(display_);
}

}  // namespace

std::unique_ptr<IdleSource> x11_idle(std::uint32_t ms, Idled idled) {
  // Under a Wayland compositor the X server sees only its own clients' input.
  if (wayland_reachable()) {
    return nullptr;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    return nullptr;
  }
  auto source = std::make_unique<X11Idle>(display, std::move(idled));
  return source->watch(ms) ? std::move(source) : nullptr;
}

}  // namespace rovanel
