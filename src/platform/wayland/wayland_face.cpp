// What this face implements (see README, "Adding a face"):
//  [x] saver window: a surface on the overlay layer of every output, anchored to every edge,
//      taking the keyboard; the show on the output the compositor lists first, the others black;
//      outputs that come and go are followed. Without a layer shell: a fullscreen xdg_toplevel
//      on each output
//  [x] input: keys, buttons, wheel turns, touches and pointer moves over any output, in the show's
//      pixels; signals
//  [x] frames: cairo on an image of device pixels; the damaged boxes copied into a small pool of
//      shared-memory buffers, never one the compositor still holds, and damaged with
//      damage_buffer
//  [x] scale: ROVANEL_SCALE, else the output's fractional scale (wp_fractional_scale_v1 with
//      wp_viewporter), else its integer scale; without wp_viewporter only whole scales (the
//      nearest); the show keeps its size in pixels at 96 dpi
//  [x] screen-saver flag: none; no idle inhibitor, so the compositor's lock and power saving
//      still come over the show
//  [x] cursor: hidden over its surfaces
//  [x] previous instance, dialogs, errors: shared with every Linux face (platform/linux)
#include "platform/wayland/wayland_face.hpp"

#include <wayland-client.h>

#include <cstdlib>
#include <string>

#include "platform/linux/fail.hpp"
#include "platform/wayland/connection.hpp"
#include "platform/wayland/saver_window.hpp"

namespace rovanel {

namespace {

std::string no_display() {
  return "cannot connect to " + compositor_name();
}

std::unique_ptr<SaverWindow> create_saver_window(const Invocation&) {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    fail(no_display());
  }
  return std::make_unique<WaylandSaverWindow>(display, scale_from_environment());
}

bool serves(const Invocation& invocation) {
  return !invocation.embedded() && wayland_reachable();
}

}  // namespace

const Face kWaylandFace = {"wayland", serves, create_saver_window, no_display};

}  // namespace rovanel
