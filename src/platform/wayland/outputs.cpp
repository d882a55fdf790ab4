#include "platform/wayland/outputs.hpp"

#include <algorithm>

#include "platform/wayland/connection.hpp"
#include "shell/texts.hpp"

namespace rovanel {

namespace {

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

}  // namespace

// What the compositor tells of an output and its surface.
struct OutputEvents {
  static Output& of(void* data) { return *static_cast<Output*>(data); }

  static void mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                   std::int32_t height, std::int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
      of(data).mode_width = width;
      of(data).mode_height = height;
    }
  }
  static void done(void* data, wl_output*) { of(data).outputs->layout_changed = true; }
  static void scale(void* data, wl_output*, std::int32_t factor) {
    of(data).scale = std::max(1, factor);
  }

  // Where an output lies: wl_output's geometry says 0, 0 on some compositors, xdg-output says.
  static void logical_position(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
    of(data).x = x;
    of(data).y = y;
  }

  static void layer_configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                              std::uint32_t width, std::uint32_t height) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    of(data).outputs->configured(of(data), static_cast<int>(width), static_cast<int>(height));
  }
  // The compositor took the surface away (its output is going): nothing is drawn there any more.
  static void layer_closed(void* data, zwlr_layer_surface_v1*) {
    of(data).outputs->uncover(of(data));
  }

  // A fullscreen toplevel's size comes first, the xdg_surface's configure after it.
  static void toplevel_configure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                                 wl_array*) {
    of(data).width = width;
    of(data).height = height;
  }
  static void toplevel_close(void* data, xdg_toplevel*) {
    of(data).outputs->close_requested = true;
  }
  static void surface_configure(void* data, xdg_surface* surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    of(data).outputs->configured(of(data), of(data).width, of(data).height);
  }

  static void preferred_scale(void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
    of(data).preferred_scale = static_cast<int>(scale);
    of(data).outputs->layout_changed = true;
  }
};

namespace {

const wl_output_listener kOutputListener = {
    .geometry = ignore,
    .mode = OutputEvents::mode,
    .done = OutputEvents::done,
    .scale = OutputEvents::scale,
    .name = ignore,
    .description = ignore,
};

const zxdg_output_v1_listener kXdgOutputListener = {
    .logical_position = OutputEvents::logical_position,
    .logical_size = ignore,
    .done = ignore,
    .name = ignore,
    .description = ignore,
};

const zwlr_layer_surface_v1_listener kLayerListener = {
    .configure = OutputEvents::layer_configure,
    .closed = OutputEvents::layer_closed,
};

const xdg_surface_listener kXdgSurfaceListener = {
    .configure = OutputEvents::surface_configure,
};

const xdg_toplevel_listener kToplevelListener = {
    .configure = OutputEvents::toplevel_configure,
    .close = OutputEvents::toplevel_close,
    .configure_bounds = ignore,
    .wm_capabilities = ignore,
};

const wp_fractional_scale_v1_listener kFractionalListener = {
    .preferred_scale = OutputEvents::preferred_scale,
};

}  // namespace

void Outputs::add(wl_output* output, std::uint32_t name) {
  auto out = std::make_unique<Output>();
  out->outputs = this;
  out->output = output;
  out->name = name;
  wl_output_add_listener(output, &kOutputListener, out.get());
  describe(*out);
  list_.push_back(std::move(out));
  if (covering_) {
    cover(*list_.back());
  }
}

void Outputs::remove(std::uint32_t name) {
  const auto gone = std::find_if(list_.begin(), list_.end(),
                                 [name](const auto& out) { return out->name == name; });
  if (gone == list_.end()) {
    return;
  }
  uncover(**gone);
  if ((*gone)->xdg_output != nullptr) {
    zxdg_output_v1_destroy((*gone)->xdg_output);
  }
  wl_output_destroy((*gone)->output);
  list_.erase(gone);
}

void Outputs::describe_all() {
  for (const auto& out : list_) {
    describe(*out);
  }
}

void Outputs::describe(Output& out) {
  if (globals_.xdg_output_manager != nullptr && out.xdg_output == nullptr) {
    out.xdg_output = zxdg_output_manager_v1_get_xdg_output(globals_.xdg_output_manager, out.output);
    zxdg_output_v1_add_listener(out.xdg_output, &kXdgOutputListener, &out);
  }
}

void Outputs::cover_all() {
  covering_ = true;
  for (const auto& out : list_) {
    cover(*out);
  }
}

void Outputs::cover(Output& out) {
  out.surface = wl_compositor_create_surface(globals_.compositor);
  if (globals_.viewporter != nullptr) {
    out.viewport = wp_viewporter_get_viewport(globals_.viewporter, out.surface);
  }
  if (globals_.fractional_manager != nullptr && globals_.viewporter != nullptr) {
    out.fractional = wp_fractional_scale_manager_v1_get_fractional_scale(
        globals_.fractional_manager, out.surface);
    wp_fractional_scale_v1_add_listener(out.fractional, &kFractionalListener, &out);
  }
  if (globals_.layer_shell != nullptr) {
    out.layer = zwlr_layer_shell_v1_get_layer_surface(globals_.layer_shell, out.surface, out.output,
                                                      ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "rovanel");
    zwlr_layer_surface_v1_add_listener(out.layer, &kLayerListener, &out);
    zwlr_layer_surface_v1_set_anchor(out.layer, kAllEdges);
    zwlr_layer_surface_v1_set_exclusive_zone(out.layer, -1);  // over panels too
    zwlr_layer_surface_v1_set_keyboard_interactivity(out.layer, 1);
  } else {
    out.xdg = xdg_wm_base_get_xdg_surface(globals_.wm_base, out.surface);
    xdg_surface_add_listener(out.xdg, &kXdgSurfaceListener, &out);
    out.toplevel = xdg_surface_get_toplevel(out.xdg);
    xdg_toplevel_add_listener(out.toplevel, &kToplevelListener, &out);
    xdg_toplevel_set_title(out.toplevel, kSaverCaption);
    xdg_toplevel_set_app_id(out.toplevel, "rovanel");
    xdg_toplevel_set_fullscreen(out.toplevel, out.output);
  }
  wl_surface_commit(out.surface);
}

// A surface gone; if it showed the show, the show moves at the next pump.
void Outputs::uncover(Output& out) {
  if (&out == show_) {
    show_ = nullptr;
    layout_changed = true;
    show_gone_();
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

void Outputs::unmap_all() {
  for (const auto& out : list_) {
    if (out->surface != nullptr) {
      wl_surface_attach(out->surface, nullptr, 0, 0);
      wl_surface_commit(out->surface);
    }
  }
}

const Output* Outputs::covered_by(const wl_surface* surface) const {
  for (const auto& out : list_) {
    if (surface != nullptr && out->surface == surface) {
      return out.get();
    }
  }
  return nullptr;
}

Output* Outputs::first_sized() const {
  for (const auto& out : list_) {
    if (out->surface != nullptr && out->width > 0 && out->height > 0) {
      return out.get();
    }
  }
  return nullptr;
}

void Outputs::show_on(Output& out) {
  if (show_ != nullptr && show_ != &out) {
    attach_black(*show_);
  }
  show_ = &out;
}

void Outputs::configured(Output& out, int width, int height) {
  // A compositor that leaves the size to us: the output's own, in logical pixels.
  out.width = width > 0 ? width : out.mode_width / out.scale;
  out.height = height > 0 ? height : out.mode_height / out.scale;
  if (&out != show_) {
    attach_black(out);
  }
  layout_changed = true;
}

// Black: a buffer of the logical size, never written, so its memory stays the kernel's zero
// page. (One pixel stretched by the viewport leaves an edge uncovered on some compositors.)
void Outputs::attach_black(Output& out) {
  if (out.surface == nullptr || out.width <= 0 || out.height <= 0) {
    return;
  }
  if (out.black == nullptr || out.black->width != out.width || out.black->height != out.height) {
    out.black = std::make_unique<ShmBuffer>(globals_.shm, out.width, out.height);
  }
  if (out.viewport != nullptr) {
    wp_viewport_set_destination(out.viewport, -1, -1);
  }
  wl_surface_set_buffer_scale(out.surface, 1);
  wl_surface_attach(out.surface, out.black->buffer, 0, 0);
  wl_surface_damage_buffer(out.surface, 0, 0, out.width, out.height);
  wl_surface_commit(out.surface);
}

}  // namespace rovanel
