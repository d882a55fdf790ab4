// Where the idle watcher learns that the session has been idle: one source a file. A source asks
// to be told when the session has been idle for a time, and again each time it has been idle
// that long after input, and calls idled from the watcher's main loop (GLib's default context).
// A source the session does not offer is none (null).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace rovanel {

// A source being watched; it stops when it goes.
class IdleSource {
 public:
  virtual ~IdleSource() = default;
};

using Idled = std::function<void()>;

// The compositor's own notification: ext_idle_notifier_v1, else org_kde_kwin_idle.
std::unique_ptr<IdleSource> wayland_idle(std::uint32_t ms, Idled idled);
// GNOME's idle monitor on the session bus (its compositor offers neither protocol).
std::unique_ptr<IdleSource> gnome_idle(std::uint32_t ms, Idled idled);
// The X server's own idle time (the SYNC extension's IDLETIME), where no Wayland compositor runs.
std::unique_ptr<IdleSource> x11_idle(std::uint32_t ms, Idled idled);

// The first of these the session offers; none if it offers none, which the program ends on with
// one line (status 1).
std::unique_ptr<IdleSource> session_idle_source(std::uint32_t ms, Idled idled);

}  // namespace rovanel
