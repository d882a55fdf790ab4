// The Wayland face of rovanel: a layer-shell surface on every output, or a fullscreen window on
// each where the compositor has no layer shell; and the idle watcher.
#pragma once

#include "platform/linux/linux_system.hpp"

namespace rovanel {

extern const Face kWaylandFace;

// Whether WAYLAND_DISPLAY names a compositor that answers.
bool wayland_reachable();

// Runs the saver (this program with /S) whenever the session has been idle for the given
// seconds, as the compositor tells (ext_idle_notifier_v1, else org_kde_kwin_idle), until a
// signal ends the watcher (status 0). Without either interface it says so and returns 1.
int watch_idle(int seconds);

}  // namespace rovanel
