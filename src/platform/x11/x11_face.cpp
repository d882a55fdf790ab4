// What this face implements (see README, "Adding a face"):
//  [x] saver window: full screen over every monitor, the show in the primary one; or the host's
//      (-window-id ID, XSCREENSAVER_WINDOW, -root); it follows monitors and the host's size
//  [x] input: keys, buttons and pointer moves of its own window; signals; the host window gone
//  [x] frames: a pixmap drawn with cairo, damaged boxes copied to the window; Expose copies back
//  [x] scale: ROVANEL_SCALE or Xft.dpi; the show keeps its size in pixels at 96 dpi
//  [x] screen-saver flag: the server's own blanking suspended while it runs
//  [x] cursor: an invisible one on its own window
//  [x] previous instance, dialogs, errors: shared with every Linux face (platform/linux)
#include "platform/x11/x11_face.hpp"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/linux/fail.hpp"
#include "platform/x11/saver_window.hpp"

namespace rovanel {

namespace {

std::string no_display() {
  const char* name = XDisplayName(nullptr);
  if (name == nullptr || *name == '\0') {
    return "no X display: DISPLAY is not set";
  }
  return std::string("cannot open X display '") + name + "'";
}

int ignore_x_error(Display*, XErrorEvent*) {
  return 0;
}

bool window_exists(Display* display, Window id) {
  XWindowAttributes attributes;
  const XErrorHandler previous = XSetErrorHandler(ignore_x_error);
  const Status found = XGetWindowAttributes(display, id, &attributes);
  XSetErrorHandler(previous);
  return found != 0;
}

// The window to draw into: the host's, else the root window for -root; none for a window of our
// own.
std::optional<Window> host_window(Display* display, const Invocation& invocation) {
  if (!invocation.host_window) {
    return invocation.root ? std::optional<Window>(DefaultRootWindow(display)) : std::nullopt;
  }
  const std::optional<unsigned long> id = parse_window_id(*invocation.host_window);
  if (!id || !window_exists(display, *id)) {
    fail(invocation.host_window_source + ": no such window '" + *invocation.host_window + "'");
  }
  return id;
}

// Device pixels per pixel of the show: ROVANEL_SCALE, else the desktop's Xft.dpi over 96.
float drawing_scale(Display* display) {
  if (const std::optional<float> scale = scale_from_environment()) {
    return *scale;
  }
  float scale = 1;
  if (const char* resources = XResourceManagerString(display); resources != nullptr) {
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
      const float dpi = std::strtof(value.addr, nullptr);
      // A desktop setting, not ours to refuse: one out of all reason draws at 1.
      if (dpi / 96 >= kMinScale && dpi / 96 <= kMaxScale) {
        scale = dpi / 96;
      }
    }
    XrmDestroyDatabase(database);
  }
  return scale;
}

std::unique_ptr<SaverWindow> create_saver_window(const Invocation& invocation) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    fail(no_display());
  }
  return std::make_unique<X11SaverWindow>(display, host_window(display, invocation),
                                          drawing_scale(display));
}

// Every run it can open a display for: the last face tried.
bool serves(const Invocation&) {
  return true;
}

}  // namespace

const Face kX11Face = {"x11", serves, create_saver_window, no_display};

// Xlib would print several lines and exit.
int lost_x_connection(Display* display) {
  fail(std::string("lost the connection to X display '") + DisplayString(display) + "'");
}

}  // namespace rovanel
