#include "platform/wayland/saver_window.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "platform/linux/fail.hpp"
#include "platform/linux/linux_system.hpp"
#include "platform/wayland/connection.hpp"
#include "platform/wayland/surface_scale.hpp"
#include "shell/frm_tsp.hpp"

namespace rovanel {

// The globals the face needs, at the versions it speaks.
struct RegistryEvents {
  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void global_remove(void* data, wl_registry*, std::uint32_t name) {
    static_cast<WaylandSaverWindow*>(data)->outputs_.remove(name);
  }
  static void ping(void*, xdg_wm_base* base, std::uint32_t serial) {
    xdg_wm_base_pong(base, serial);
  }
};

namespace {

const wl_registry_listener kRegistryListener = {
    .global = RegistryEvents::global,
    .global_remove = RegistryEvents::global_remove,
};

const xdg_wm_base_listener kWmBaseListener = {
    .ping = RegistryEvents::ping,
};

}  // namespace

void RegistryEvents::global(void* data, wl_registry* registry, std::uint32_t name,
                            const char* interface, std::uint32_t version) {
  auto& self = *static_cast<WaylandSaverWindow*>(data);
  Globals& g = self.globals_;
  const std::string_view which(interface);
  const auto bind = [&]<class T>(T*& global, const wl_interface& type, std::uint32_t highest) {
    global = static_cast<T*>(wl_registry_bind(registry, name, &type, std::min(version, highest)));
  };
  if (which == wl_compositor_interface.name && version >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
    bind(g.compositor, wl_compositor_interface, 4);
  } else if (which == wl_shm_interface.name) {
    bind(g.shm, wl_shm_interface, 1);
  } else if (which == wl_seat_interface.name && self.seat_ == nullptr) {
    wl_seat* seat = nullptr;
    bind(seat, wl_seat_interface, 5);
    self.seat_ = std::make_unique<Seat>(seat, self.outputs_);
    self.seat_->set_cursor_hidden(self.cursor_hidden_);
  } else if (which == wl_output_interface.name) {
    wl_output* output = nullptr;
    bind(output, wl_output_interface, 3);
    self.outputs_.add(output, name);
  } else if (which == zwlr_layer_shell_v1_interface.name) {
    bind(g.layer_shell, zwlr_layer_shell_v1_interface, 1);
  } else if (which == xdg_wm_base_interface.name) {
    bind(g.wm_base, xdg_wm_base_interface, 1);
    xdg_wm_base_add_listener(g.wm_base, &kWmBaseListener, nullptr);
  } else if (which == wp_viewporter_interface.name) {
    bind(g.viewporter, wp_viewporter_interface, 1);
  } else if (which == zxdg_output_manager_v1_interface.name) {
    bind(g.xdg_output_manager, zxdg_output_manager_v1_interface, 2);
    self.outputs_.describe_all();
  } else if (which == wp_fractional_scale_manager_v1_interface.name) {
    bind(g.fractional_manager, wp_fractional_scale_manager_v1_interface, 1);
  }
}

WaylandSaverWindow::WaylandSaverWindow(wl_display* display, std::optional<float> scale)
    : display_(display),
      forced_scale_(scale),
      stop_fd_(install_stop_signals()),
      outputs_(globals_, [this] { pool_.reset(0, 0); }),
      pool_(display, globals_.shm, stop_fd_) {
  wl_registry_add_listener(wl_display_get_registry(display_), &kRegistryListener, this);
  // The globals, then what the outputs and the seat tell of themselves.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
    lost_connection(display_);
  }
  if (globals_.compositor == nullptr || globals_.shm == nullptr) {
    fail("the Wayland compositor offers no wl_compositor (version 4) or no wl_shm");
  }
  if (globals_.layer_shell == nullptr && globals_.wm_base == nullptr) {
    fail("the Wayland compositor offers neither zwlr_layer_shell_v1 nor xdg_wm_base");
  }
}

void WaylandSaverWindow::show() {
  outputs_.cover_all();
  // Every surface's first configure, then the layout they give.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!lay_out() && outputs_.show() == nullptr) {
    if (std::chrono::steady_clock::now() > deadline) {
      fail("the Wayland compositor gave the saver no output to show on");
    }
    read_events(display_, stop_fd_, 100);
  }
  outputs_.layout_changed = false;
}

void WaylandSaverWindow::hide() {
  outputs_.unmap_all();
  wl_display_flush(display_);
}

void WaylandSaverWindow::show_cursor(bool visible) {
  cursor_hidden_ = !visible;
  if (seat_ != nullptr) {
    seat_->set_cursor_hidden(cursor_hidden_);
  }
}

// The show on the first output the compositor listed that has a size, at the scale surface_scale
// picks for it.
bool WaylandSaverWindow::lay_out() {
  Output* pick = outputs_.first_sized();
  if (pick == nullptr) {
    return false;
  }
  const SurfaceScale how =
      surface_scale(pick->scale, pick->preferred_scale, forced_scale_, pick->viewport != nullptr);
  const float scale = how.drawing;
  const auto width = static_cast<int>(std::lround(pick->width * static_cast<double>(scale)));
  const auto height = static_cast<int>(std::lround(pick->height * static_cast<double>(scale)));
  if (pick == outputs_.show() && scale == scale_ && width == device_width_ &&
      height == device_height_) {
    return false;
  }
  outputs_.show_on(*pick);
  scale_ = scale;
  device_width_ = width;
  device_height_ = height;
  show_size_ = show_size(width, height, scale);
  pool_.reset(width, height);
  wl_surface_set_buffer_scale(pick->surface, how.buffer);
  if (pick->viewport != nullptr) {
    wp_viewport_set_destination(pick->viewport, how.viewport ? pick->width : -1,
                                how.viewport ? pick->height : -1);
  }
  surface_.reset();
  image_.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  surface_.emplace(image_.get(), Box{0, 0, width, height}, scale,
                   [this](const Damage& damage) { present(damage); });
  return true;
}

void WaylandSaverWindow::present(const Damage& damage) {
  if (outputs_.show() == nullptr || damage.empty()) {
    return;
  }
  cairo_surface_flush(image_.get());
  pool_.present(outputs_.show()->surface, cairo_image_surface_get_data(image_.get()),
                cairo_image_surface_get_stride(image_.get()), damage);
}

bool WaylandSaverWindow::pending() const {
  return (seat_ != nullptr && !seat_->inputs.empty()) || outputs_.layout_changed ||
         outputs_.close_requested || stop_requested();
}

void WaylandSaverWindow::wait_for_events(Pacing::Clock::duration timeout) {
  if (pending()) {
    return;
  }
  read_events(display_, stop_fd_,
              static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(timeout).count()));
}

void WaylandSaverWindow::pump_events(frmTsp& form) {
  read_events(display_, stop_fd_, 0);
  // The layout first: a pointer that an output's going moves elsewhere is no one's move.
  if (outputs_.layout_changed) {
    outputs_.layout_changed = false;
    if (lay_out()) {
      form.resized();
    }
  }
  if (seat_ != nullptr) {
    for (const Seat::Input& input : seat_->inputs) {
      switch (input.kind) {
        case Seat::Input::Kind::kKey:
          form.key_down();
          break;
        case Seat::Input::Kind::kClick:
          form.click();
          break;
        case Seat::Input::Kind::kMove:
          // In the show's pixels: from the show output's corner, in its logical pixels.
          if (const Output* show = outputs_.show(); show != nullptr) {
            form.mouse_move(static_cast<float>(input.x - show->x),
                            static_cast<float>(input.y - show->y));
          }
          break;
      }
    }
    seat_->inputs.clear();
  }
  if (outputs_.close_requested) {
    form.unload();
  }
  if (stop_requested()) {
    form.stop();
  }
}

void WaylandSaverWindow::end_program() {
  wl_display_flush(display_);
  wl_display_disconnect(display_);
  std::exit(0);
}

}  // namespace rovanel
