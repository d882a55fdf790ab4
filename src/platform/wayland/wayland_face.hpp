// The Wayland face of rovanel: a layer-shell surface on every output, or a fullscreen window on
// each where the compositor has no layer shell. It serves a run that is not embedded in an X
// window when WAYLAND_DISPLAY names a compositor that answers.
#pragma once

#include "platform/linux/linux_system.hpp"

namespace rovanel {

extern const Face kWaylandFace;

}  // namespace rovanel
