// The X11 face of rovanel: standalone over every monitor, or in a window a host such as
// XScreenSaver hands over.
#pragma once

#include "platform/linux/linux_system.hpp"

namespace rovanel {

extern const Face kX11Face;

}  // namespace rovanel
