// A mouse for the end-to-end tests on a wlroots compositor: a virtual pointer plugged in while it
// runs, driven by commands on stdin, one a line:
//   move X Y WIDTH HEIGHT   to X, Y of an output layout of WIDTH x HEIGHT logical pixels
//   click                   the left button pressed and released
//   wheel                   one notch of the vertical wheel
#include <wayland-client.h>

#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>
#include <string>

#include "virtual-pointer.h"

namespace {

struct Globals {
  wl_seat* seat = nullptr;
  zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

const wl_registry_listener kRegistryListener{
    [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
      auto* g = static_cast<Globals*>(data);
      if (std::strcmp(interface, wl_seat_interface.name) == 0 && g->seat == nullptr) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
      } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        g->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
      }
    },
    [](void*, wl_registry*, uint32_t) {}};

uint32_t now_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

// Sends one command as a pointer frame; false if it is none.
bool command(zwlr_virtual_pointer_v1* pointer, const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  std::string rest;
  long x = -1, y = -1, w = 0, h = 0;
  in >> verb;
  if (verb == "move" && in >> x >> y >> w >> h && !(in >> rest) && x >= 0 && y >= 0 && x <= w &&
      y <= h) {
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), static_cast<uint32_t>(x),
                                            static_cast<uint32_t>(y), static_cast<uint32_t>(w),
                                            static_cast<uint32_t>(h));
  } else if (verb == "click" && !(in >> rest)) {
    constexpr uint32_t kLeft = 272;  // BTN_LEFT
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), kLeft, WL_POINTER_BUTTON_STATE_PRESSED);
    zwlr_virtual_pointer_v1_frame(pointer);
    zwlr_virtual_pointer_v1_button(pointer, now_ms(), kLeft, WL_POINTER_BUTTON_STATE_RELEASED);
  } else if (verb == "wheel" && !(in >> rest)) {
    constexpr uint32_t kVertical = 0;  // WL_POINTER_AXIS_VERTICAL_SCROLL
    zwlr_virtual_pointer_v1_axis(pointer, now_ms(), kVertical, wl_fixed_from_int(15));
  } else {
    std::cerr << "wlpointer: not a command: " << line << '\n';
    return false;
  }
  zwlr_virtual_pointer_v1_frame(pointer);
  return true;
}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  Globals g;
  if (display != nullptr) {
    wl_registry_add_listener(wl_display_get_registry(display), &kRegistryListener, &g);
    wl_display_roundtrip(display);
  }
  if (g.manager == nullptr) {
    std::cerr << "wlpointer: no compositor with a virtual pointer in WAYLAND_DISPLAY\n";
    return 1;
  }
  auto* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.manager, g.seat);
  bool ok = wl_display_roundtrip(display) >= 0;
  for (std::string line; ok && std::getline(std::cin, line);) {
    ok = command(pointer, line) && wl_display_roundtrip(display) >= 0;
  }
  wl_display_disconnect(display);
  return ok ? 0 : 1;
}
