// The X11 face of rovanel: standalone over every monitor, or in a window a host such as
// XScreenSaver hands over.
#pragma once

#include <X11/Xlib.h>

#include "platform/linux/linux_system.hpp"

namespace rovanel {

extern const Face kX11Face;

// Xlib's handler for a server gone: one line naming the display, status 1.
int lost_x_connection(Display* display);

}  // namespace rovanel
