#include "platform/wayland/saver_window.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/linux/fail.hpp"
#include "platform/linux/linux_system.hpp"
#include "platform/wayland/events.hpp"
#include "platform/wayland/surface_scale.hpp"
#include "shell/frm_tsp.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

// Buffers the show may have in flight: one shown, one on its way, one to draw into.
constexpr std::size_t kMaxBuffers = 3;
// A buffer further behind than this many boxes is brought up to date whole.
constexpr std::size_t kMaxStaleBoxes = 32;

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

using Output = WaylandSaverWindow::Output;

// A device the seat no longer has: the release request where the seat knows it (version 3 on),
// else the proxy alone is gone.
template <class Device>
void give_back(Device*& device, void (*release)(Device*), void (*destroy)(Device*)) {
  constexpr std::uint32_t kReleaseSince = 3;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= kReleaseSince) {
    release(device);
  } else {
    destroy(device);
  }
  device = nullptr;
}

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, int w, int h) : width(w), height(h), stride(4 * w) {
  const auto size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  const int fd = memfd_create("rovanel-buffer", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    fail(std::string("cannot make a buffer of shared memory: ") + std::strerror(errno));
  }
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    fail(std::string("cannot map a buffer of shared memory: ") + std::strerror(errno));
  }
  pixels = static_cast<std::uint8_t*>(memory);  // zeros: black
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
  buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  stale.push_back({0, 0, width, height});
}

ShmBuffer::~ShmBuffer() {
  wl_buffer_destroy(buffer);
  munmap(pixels, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
}

const wl_buffer_listener WaylandSaverWindow::kBufferListener = {
    [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; }};

// Globals: what the face needs, at the versions it speaks.
void WaylandSaverWindow::global(void* data, wl_registry* registry, std::uint32_t name,
                                const char* interface, std::uint32_t version) {
  auto* self = static_cast<WaylandSaverWindow*>(data);
  const std::string_view which(interface);
  const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
    return wl_registry_bind(registry, name, type, std::min(version, highest));
  };
  if (which == wl_compositor_interface.name && version >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
    self->compositor_ = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (which == wl_shm_interface.name) {
    self->shm_ = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (which == wl_seat_interface.name && self->seat_ == nullptr) {
    self->seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    wl_seat_add_listener(self->seat_, &kSeatListener, self);
  } else if (which == wl_output_interface.name) {
    self->add_output(static_cast<wl_output*>(bind(&wl_output_interface, 3)), name);
  } else if (which == zwlr_layer_shell_v1_interface.name) {
    self->layer_shell_ = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 1));
  } else if (which == xdg_wm_base_interface.name) {
    self->wm_base_ = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(self->wm_base_, &kWmBaseListener, self);
  } else if (which == wp_viewporter_interface.name) {
    self->viewporter_ = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
  } else if (which == zxdg_output_manager_v1_interface.name) {
    self->xdg_output_manager_ =
        static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 2));
    for (const auto& out : self->outputs_) {
      self->describe(*out);
    }
  } else if (which == wp_fractional_scale_manager_v1_interface.name) {
    self->fractional_manager_ = static_cast<wp_fractional_scale_manager_v1*>(
        bind(&wp_fractional_scale_manager_v1_interface, 1));
  }
}

// An output gone: its surface with it. If the show was there, it moves at the next pump.
void WaylandSaverWindow::global_remove(void* data, wl_registry*, std::uint32_t name) {
  auto* self = static_cast<WaylandSaverWindow*>(data);
  auto& outputs = self->outputs_;
  const auto gone = std::find_if(outputs.begin(), outputs.end(),
                                 [name](const auto& out) { return out->name == name; });
  if (gone == outputs.end()) {
    return;
  }
  self->uncover(**gone);
  if ((*gone)->xdg_output != nullptr) {
    zxdg_output_v1_destroy((*gone)->xdg_output);
  }
  wl_output_destroy((*gone)->output);
  if (self->pointer_output_ == gone->get()) {
    self->pointer_output_ = nullptr;
  }
  if (self->show_output_ == gone->get()) {
    self->show_output_ = nullptr;
    self->layout_changed_ = true;
  }
  outputs.erase(gone);
}

const wl_registry_listener WaylandSaverWindow::kRegistryListener = {global, global_remove};

// Where an output lies: wl_output's geometry says 0, 0 on some compositors, xdg-output says.
const wl_output_listener WaylandSaverWindow::kOutputListener = {
    [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
       const char*, const char*, std::int32_t) {},
    [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
       std::int32_t) {
      auto* out = static_cast<Output*>(data);
      if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        out->mode_width = width;
        out->mode_height = height;
      }
    },
    [](void* data, wl_output*) { static_cast<Output*>(data)->window->layout_changed_ = true; },
    [](void* data, wl_output*, std::int32_t factor) {
      static_cast<Output*>(data)->scale = std::max(1, factor);
    },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener WaylandSaverWindow::kXdgOutputListener = {
    [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
      auto* out = static_cast<Output*>(data);
      out->x = x;
      out->y = y;
    },
    [](void*, zxdg_output_v1*, std::int32_t, std::int32_t) {},
    [](void*, zxdg_output_v1*) {},
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

void WaylandSaverWindow::describe(Output& out) {
  if (xdg_output_manager_ != nullptr && out.xdg_output == nullptr) {
    out.xdg_output = zxdg_output_manager_v1_get_xdg_output(xdg_output_manager_, out.output);
    zxdg_output_v1_add_listener(out.xdg_output, &kXdgOutputListener, &out);
  }
}

void WaylandSaverWindow::capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
  auto* self = static_cast<WaylandSaverWindow*>(data);
  // Devices come and go (a virtual keyboard for one key, say): follow them.
  const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (pointer && self->pointer_ == nullptr) {
    self->pointer_ = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(self->pointer_, &kPointerListener, self);
  } else if (!pointer && self->pointer_ != nullptr) {
    give_back(self->pointer_, wl_pointer_release, wl_pointer_destroy);
    self->pointer_output_ = nullptr;
  }
  const bool touch = (caps & WL_SEAT_CAPABILITY_TOUCH) != 0;
  if (touch && self->touch_ == nullptr) {
    self->touch_ = wl_seat_get_touch(seat);
    wl_touch_add_listener(self->touch_, &kTouchListener, self);
  } else if (!touch && self->touch_ != nullptr) {
    give_back(self->touch_, wl_touch_release, wl_touch_destroy);
  }
  const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  if (keyboard && self->keyboard_ == nullptr) {
    self->keyboard_ = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(self->keyboard_, &kKeyboardListener, self);
  } else if (!keyboard && self->keyboard_ != nullptr) {
    give_back(self->keyboard_, wl_keyboard_release, wl_keyboard_destroy);
  }
}

const wl_seat_listener WaylandSaverWindow::kSeatListener = {capabilities,
                                                            [](void*, wl_seat*, const char*) {}};

// The first surface the pointer enters is no move: as on X11, the first motion only records
// where it is. Entering another one is: the pointer went from one output to the next.
void WaylandSaverWindow::pointer_enter(void* data, wl_pointer* pointer, std::uint32_t serial,
                                       wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<WaylandSaverWindow*>(data);
  self->pointer_output_ = nullptr;
  for (const auto& out : self->outputs_) {
    if (out->surface == surface) {
      self->pointer_output_ = out.get();
    }
  }
  if (self->entered_) {
    pointer_motion(data, pointer, 0, x, y);
  }
  self->entered_ = true;
  if (self->cursor_hidden_) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
  }
}

void WaylandSaverWindow::pointer_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x,
                                        wl_fixed_t y) {
  auto* self = static_cast<WaylandSaverWindow*>(data);
  if (self->pointer_output_ != nullptr) {
    self->inputs_.push_back({Input::Kind::kMove, self->pointer_output_->x + wl_fixed_to_double(x),
                             self->pointer_output_->y + wl_fixed_to_double(y)});
  }
}

void WaylandSaverWindow::pointer_button(void* data, wl_pointer*, std::uint32_t, std::uint32_t,
                                        std::uint32_t, std::uint32_t state) {
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
    static_cast<WaylandSaverWindow*>(data)->inputs_.push_back({Input::Kind::kClick});
  }
}

const wl_pointer_listener WaylandSaverWindow::kPointerListener = {
    pointer_enter,
    [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
      static_cast<WaylandSaverWindow*>(data)->pointer_output_ = nullptr;
    },
    pointer_motion,
    pointer_button,
    // A wheel turn, either way: a button, as X11 reports it.
    [](void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {
      static_cast<WaylandSaverWindow*>(data)->inputs_.push_back({Input::Kind::kClick});
    },
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
    [](void*, wl_pointer*, std::uint32_t, std::int32_t) {},
};

// A touch is a click.
const wl_touch_listener WaylandSaverWindow::kTouchListener = {
    [](void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
       wl_fixed_t) {
      static_cast<WaylandSaverWindow*>(data)->inputs_.push_back({Input::Kind::kClick});
    },
    [](void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {},
    [](void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*) {},
    [](void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {},
    [](void*, wl_touch*, std::int32_t, wl_fixed_t) {},
};

void WaylandSaverWindow::keyboard_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t,
                                      std::uint32_t, std::uint32_t state) {
  if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
    static_cast<WaylandSaverWindow*>(data)->inputs_.push_back({Input::Kind::kKey});
  }
}

const wl_keyboard_listener WaylandSaverWindow::kKeyboardListener = {
    [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); },
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
    keyboard_key,
    [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
       std::uint32_t) {},
    [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
};

void WaylandSaverWindow::layer_configure(void* data, zwlr_layer_surface_v1* layer,
                                         std::uint32_t serial, std::uint32_t width,
                                         std::uint32_t height) {
  auto* out = static_cast<Output*>(data);
  zwlr_layer_surface_v1_ack_configure(layer, serial);
  out->window->configured(*out, static_cast<int>(width), static_cast<int>(height));
}

// The compositor took the surface away (its output is going): nothing is drawn there any more.
void WaylandSaverWindow::layer_closed(void* data, zwlr_layer_surface_v1*) {
  auto* out = static_cast<Output*>(data);
  out->window->uncover(*out);
  if (out->window->show_output_ == out) {
    out->window->show_output_ = nullptr;
    out->window->layout_changed_ = true;
  }
}

const zwlr_layer_surface_v1_listener WaylandSaverWindow::kLayerListener = {layer_configure,
                                                                           layer_closed};

const xdg_wm_base_listener WaylandSaverWindow::kWmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};

const xdg_surface_listener WaylandSaverWindow::kXdgSurfaceListener = {
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
      auto* out = static_cast<Output*>(data);
      xdg_surface_ack_configure(surface, serial);
      out->window->configured(*out, out->width, out->height);
    }};

// A fullscreen toplevel's size comes first, the xdg_surface's configure after it.
const xdg_toplevel_listener WaylandSaverWindow::kToplevelListener = {
    [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
      auto* out = static_cast<Output*>(data);
      out->width = width;
      out->height = height;
    },
    [](void* data, xdg_toplevel*) {
      static_cast<Output*>(data)->window->inputs_.push_back({Input::Kind::kClose});
    },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

const wp_fractional_scale_v1_listener WaylandSaverWindow::kFractionalListener = {
    [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
      auto* out = static_cast<Output*>(data);
      out->preferred_scale = static_cast<int>(scale);
      out->window->layout_changed_ = true;
    }};

WaylandSaverWindow::WaylandSaverWindow(wl_display* display, std::optional<float> scale)
    : display_(display), forced_scale_(scale) {
  stop_fd_ = install_stop_signals();
  wl_registry* registry = wl_display_get_registry(display_);
  wl_registry_add_listener(registry, &kRegistryListener, this);
  // The globals, then what the outputs and the seat tell of themselves.
  if (wl_display_roundtrip(display_) < 0 || wl_display_roundtrip(display_) < 0) {
    lost_connection(display_);
  }
  if (compositor_ == nullptr || shm_ == nullptr) {
    fail("the Wayland compositor offers no wl_compositor (version 4) or no wl_shm");
  }
  if (layer_shell_ == nullptr && wm_base_ == nullptr) {
    fail("the Wayland compositor offers neither zwlr_layer_shell_v1 nor xdg_wm_base");
  }
}

void WaylandSaverWindow::add_output(wl_output* output, std::uint32_t name) {
  auto out = std::make_unique<Output>();
  out->window = this;
  out->output = output;
  out->name = name;
  wl_output_add_listener(output, &kOutputListener, out.get());
  describe(*out);
  outputs_.push_back(std::move(out));
  if (shown_) {
    cover(*outputs_.back());
  }
}

// A surface over the whole output, above everything, taking the keyboard.
void WaylandSaverWindow::cover(Output& out) {
  out.surface = wl_compositor_create_surface(compositor_);
  if (viewporter_ != nullptr) {
    out.viewport = wp_viewporter_get_viewport(viewporter_, out.surface);
  }
  if (fractional_manager_ != nullptr && viewporter_ != nullptr) {
    out.fractional =
        wp_fractional_scale_manager_v1_get_fractional_scale(fractional_manager_, out.surface);
    wp_fractional_scale_v1_add_listener(out.fractional, &kFractionalListener, &out);
  }
  if (layer_shell_ != nullptr) {
    out.layer = zwlr_layer_shell_v1_get_layer_surface(layer_shell_, out.surface, out.output,
                                                      ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "rovanel");
    zwlr_layer_surface_v1_add_listener(out.layer, &kLayerListener, &out);
    zwlr_layer_surface_v1_set_anchor(out.layer, kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(out.layer, -1);  // over panels too
    zwlr_layer_surface_v1_set_keyboard_interactivity(out.layer, 1);
  } else {
    out.xdg = xdg_wm_base_get_xdg_surface(wm_base_, out.surface);
    xdg_surface_add_listener(out.xdg, &kXdgSurfaceListener, &out);
    out.toplevel = xdg_surface_get_toplevel(out.xdg);
    xdg_toplevel_add_listener(out.toplevel, &kToplevelListener, &out);
    xdg_toplevel_set_title(out.toplevel, kSaverCaption);
    xdg_toplevel_set_app_id(out.toplevel, "rovanel");
    xdg_toplevel_set_fullscreen(out.toplevel, out.output);
  }
  wl_surface_commit(out.surface);
}

void WaylandSaverWindow::uncover(Output& out) {
  if (&out == show_output_) {
    buffers_.clear();
  }
  out.black.reset();
  if (out.fractional != nullptr) {
    wp_fractional_scale_v1_destroy(out.fractional);
  }
  if (out.viewport != nullptr) {
    wp_viewport_destroy(out.viewport);
  }
  if (out.layer != nullptr) {
    zwlr_layer_surface_v1_destroy(out.layer);
  }
  if (out.toplevel != nullptr) {
    xdg_toplevel_destroy(out.toplevel);
    xdg_surface_destroy(out.xdg);
  }
  if (out.surface != nullptr) {
    wl_surface_destroy(out.surface);
  }
  out.surface = nullptr;
  out.layer = nullptr;
  out.xdg = nullptr;
  out.toplevel = nullptr;
  out.viewport = nullptr;
  out.fractional = nullptr;
  out.width = 0;
  out.height = 0;
}

void WaylandSaverWindow::configured(Output& out, int width, int height) {
  // A compositor that leaves the size to us: the output's own, in logical pixels.
  out.width = width > 0 ? width : out.mode_width / out.scale;
  out.height = height > 0 ? height : out.mode_height / out.scale;
  if (&out != show_output_) {
    attach_black(out);
  }
  layout_changed_ = true;
}

// Black: a buffer of the logical size, never written, so its memory stays the kernel's zero
// page. (One pixel stretched by the viewport leaves an edge uncovered on some compositors.)
void WaylandSaverWindow::attach_black(Output& out) {
  if (out.surface == nullptr || out.width <= 0 || out.height <= 0) {
    return;
  }
  if (out.black == nullptr || out.black->width != out.width || out.black->height != out.height) {
    out.black = std::make_unique<ShmBuffer>(shm_, out.width, out.height);
  }
  if (out.viewport != nullptr) {
    wp_viewport_set_destination(out.viewport, -1, -1);
  }
  wl_surface_set_buffer_scale(out.surface, 1);
  wl_surface_attach(out.surface, out.black->buffer, 0, 0);
  wl_surface_damage_buffer(out.surface, 0, 0, out.width, out.height);
  wl_surface_commit(out.surface);
}

void WaylandSaverWindow::show() {
  shown_ = true;
  for (const auto& out : outputs_) {
    cover(*out);
  }
  // Every surface's first configure, then the layout they give.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!lay_out() && show_output_ == nullptr) {
    if (std::chrono::steady_clock::now() > deadline) {
      fail("the Wayland compositor gave the saver no output to show on");
    }
    read_events(display_, stop_fd_, 100);
  }
  layout_changed_ = false;
}

void WaylandSaverWindow::hide() {
  for (const auto& out : outputs_) {
    if (out->surface != nullptr) {
      wl_surface_attach(out->surface, nullptr, 0, 0);
      wl_surface_commit(out->surface);
    }
  }
  wl_display_flush(display_);
}

// The show on the first output the compositor listed that has a size, at the scale surface_scale
// picks for it.
bool WaylandSaverWindow::lay_out() {
  Output* pick = nullptr;
  for (const auto& out : outputs_) {
    if (pick == nullptr && out->surface != nullptr && out->width > 0 && out->height > 0) {
      pick = out.get();
    }
  }
  if (pick == nullptr) {
    return false;
  }
  const SurfaceScale how =
      surface_scale(pick->scale, pick->preferred_scale, forced_scale_, pick->viewport != nullptr);
  const float scale = how.drawing;
  const auto width = static_cast<int>(std::lround(pick->width * static_cast<double>(scale)));
  const auto height = static_cast<int>(std::lround(pick->height * static_cast<double>(scale)));
  if (pick == show_output_ && scale == scale_ && width == device_width_ &&
      height == device_height_) {
    return false;
  }
  if (show_output_ != nullptr && show_output_ != pick) {
    buffers_.clear();
    attach_black(*show_output_);
  }
  show_output_ = pick;
  scale_ = scale;
  device_width_ = width;
  device_height_ = height;
  show_size_ = show_size(width, height, scale);
  buffers_.clear();
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

// A buffer the compositor does not hold, brought up to date with the image where it is behind.
ShmBuffer& WaylandSaverWindow::free_buffer() {
  for (;;) {
    for (const auto& buffer : buffers_) {
      if (!buffer->busy) {
        return *buffer;
      }
    }
    if (buffers_.size() < kMaxBuffers) {
      buffers_.push_back(std::make_unique<ShmBuffer>(shm_, device_width_, device_height_));
      wl_buffer_add_listener(buffers_.back()->buffer, &kBufferListener, buffers_.back().get());
      return *buffers_.back();
    }
    read_events(display_, stop_fd_, -1);  // until the compositor lets one go
  }
}

void WaylandSaverWindow::present(const Damage& damage) {
  if (show_output_ == nullptr || damage.empty()) {
    return;
  }
  ShmBuffer& target = free_buffer();
  for (const auto& buffer : buffers_) {
    Damage& stale = buffer->stale;
    stale.insert(stale.end(), damage.begin(), damage.end());
    if (stale.size() > kMaxStaleBoxes) {
      stale = {{0, 0, device_width_, device_height_}};
    }
  }
  cairo_surface_flush(image_.get());
  const std::uint8_t* image = cairo_image_surface_get_data(image_.get());
  const int image_stride = cairo_image_surface_get_stride(image_.get());
  for (const Box& box : target.stale) {
    for (int y = box.top; y < box.bottom; ++y) {
      std::memcpy(target.pixels + y * target.stride + 4 * box.left,
                  image + y * image_stride + 4 * box.left,
                  4 * static_cast<std::size_t>(box.right - box.left));
    }
  }
  target.stale.clear();
  wl_surface* surface = show_output_->surface;
  wl_surface_attach(surface, target.buffer, 0, 0);
  for (const Box& box : damage) {
    wl_surface_damage_buffer(surface, box.left, box.top, box.right - box.left,
                             box.bottom - box.top);
  }
  wl_surface_commit(surface);
  target.busy = true;
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
    lost_connection(display_);
  }
}

void WaylandSaverWindow::wait_for_events(Pacing::Clock::duration timeout) {
  if (!inputs_.empty() || layout_changed_ || stop_requested()) {
    return;
  }
  read_events(display_, stop_fd_,
              static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(timeout).count()));
}

void WaylandSaverWindow::pump_events(frmTsp& form) {
  read_events(display_, stop_fd_, 0);
  // The layout first: a pointer that an output's going moves elsewhere is no one's move.
  if (layout_changed_) {
    layout_changed_ = false;
    if (lay_out()) {
      form.resized();
    }
  }
  for (const Input& input : inputs_) {
    switch (input.kind) {
      case Input::Kind::kKey:
        form.key_down();
        break;
      case Input::Kind::kClick:
        form.click();
        break;
      case Input::Kind::kMove:
        // In the show's pixels: from the show output's corner, in its logical pixels.
        if (show_output_ != nullptr) {
          form.mouse_move(static_cast<float>(input.x - show_output_->x),
                          static_cast<float>(input.y - show_output_->y));
        }
        break;
      case Input::Kind::kClose:
        form.unload();
        break;
    }
  }
  inputs_.clear();
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
