// The saver window on Wayland: one surface per output, the show on one of them and the others
// black. Frames are drawn with cairo into an image of device pixels; only the damaged boxes are
// copied into shared-memory buffers and handed to the compositor.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "fractional-scale.h"
#include "layer-shell.h"
#include "platform/cairo/cairo_surface.hpp"
#include "shell/window_system.hpp"
#include "viewporter.h"
#include "xdg-output.h"
#include "xdg-shell.h"

namespace rovanel {

// A wl_buffer on shared memory, XRGB8888.
struct ShmBuffer {
  ShmBuffer(wl_shm* shm, int width, int height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer = nullptr;
  std::uint8_t* pixels = nullptr;
  int width;
  int height;
  int stride;
  bool busy = false;  // the compositor holds it until its release event
  Damage stale;       // boxes of the frame it does not show yet
};

class WaylandSaverWindow final : public SaverWindow {
 public:
  // Takes the connection. scale: device pixels per pixel of the show instead of the output's.
  // A compositor without what the face needs ends the program with one line (status 1).
  WaylandSaverWindow(wl_display* display, std::optional<float> scale);
  WaylandSaverWindow(const WaylandSaverWindow&) = delete;
  WaylandSaverWindow& operator=(const WaylandSaverWindow&) = delete;

  Surface& surface() override { return *surface_; }
  ScreenSize screen_size() override { return show_size_; }
  void show() override;
  void hide() override;
  void pump_events(frmTsp& form) override;
  void wait_for_events(Pacing::Clock::duration timeout) override;
  void show_cursor(bool visible) override { cursor_hidden_ = !visible; }
  // The compositor's idle handling stays as it is: no inhibitor.
  void set_screensaver_active() override {}
  void restore_screensaver_active() override {}
  [[noreturn]] void end_program() override;

  // One output and the surface that covers it.
  struct Output {
    WaylandSaverWindow* window = nullptr;
    wl_output* output = nullptr;
    std::uint32_t name = 0;  // the global's, to find it when it goes
    zxdg_output_v1* xdg_output = nullptr;
    int x = 0, y = 0;  // in the compositor's space, logical pixels (xdg-output tells)
    int scale = 1;     // the output's integer scale
    int mode_width = 0, mode_height = 0;  // device pixels of its current mode
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    xdg_surface* xdg = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractional = nullptr;
    int preferred_scale = 0;    // in 120ths, from wp_fractional_scale_v1; 0: not told
    int width = 0, height = 0;  // configured, logical pixels
    std::unique_ptr<ShmBuffer> black;
  };

 private:
  // An input event, kept until the next pump hands it to the form.
  struct Input {
    enum class Kind { kKey, kClick, kMove, kClose } kind;
    double x = 0, y = 0;  // a move's, in the compositor's space
  };

  static const wl_registry_listener kRegistryListener;
  static const wl_output_listener kOutputListener;
  static const wl_seat_listener kSeatListener;
  static const wl_pointer_listener kPointerListener;
  static const wl_keyboard_listener kKeyboardListener;
  static const wl_touch_listener kTouchListener;
  static const zwlr_layer_surface_v1_listener kLayerListener;
  static const xdg_wm_base_listener kWmBaseListener;
  static const xdg_surface_listener kXdgSurfaceListener;
  static const xdg_toplevel_listener kToplevelListener;
  static const wp_fractional_scale_v1_listener kFractionalListener;
  static const wl_buffer_listener kBufferListener;
  static const zxdg_output_v1_listener kXdgOutputListener;

  static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version);
  static void global_remove(void* data, wl_registry* registry, std::uint32_t name);
  static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);
  static void pointer_enter(void* data, wl_pointer* pointer, std::uint32_t serial,
                            wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
  static void pointer_motion(void* data, wl_pointer* pointer, std::uint32_t time, wl_fixed_t x,
                             wl_fixed_t y);
  static void pointer_button(void* data, wl_pointer* pointer, std::uint32_t serial,
                             std::uint32_t time, std::uint32_t button, std::uint32_t state);
  static void keyboard_key(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                           std::uint32_t time, std::uint32_t key, std::uint32_t state);
  static void layer_configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                              std::uint32_t width, std::uint32_t height);
  static void layer_closed(void* data, zwlr_layer_surface_v1* layer);

  void add_output(wl_output* output, std::uint32_t name);
  // Asks xdg-output where the output lies.
  void describe(Output& out);
  void cover(Output& out);
  void uncover(Output& out);
  // The output took a size: it shows black, or the show once the layout is followed.
  void configured(Output& out, int width, int height);
  void attach_black(Output& out);
  // Where the show lies now, at what scale; a new image when that changed. True if it did.
  bool lay_out();
  void present(const Damage& damage);
  ShmBuffer& free_buffer();

  wl_display* display_;
  std::optional<float> forced_scale_;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_pointer* pointer_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_touch* touch_ = nullptr;
  zwlr_layer_shell_v1* layer_shell_ = nullptr;
  xdg_wm_base* wm_base_ = nullptr;  // the fallback where there is no layer shell
  wp_viewporter* viewporter_ = nullptr;
  wp_fractional_scale_manager_v1* fractional_manager_ = nullptr;
  zxdg_output_manager_v1* xdg_output_manager_ = nullptr;
  int stop_fd_ = -1;
  bool shown_ = false;
  bool cursor_hidden_ = false;
  std::vector<std::unique_ptr<Output>> outputs_;  // in the order the compositor listed them
  Output* pointer_output_ = nullptr;              // the one the pointer is over
  bool entered_ = false;  // the pointer has been over a surface: entering another is a move
  Output* show_output_ = nullptr;
  float scale_ = 1;
  int device_width_ = 0;  // the show's image, device pixels
  int device_height_ = 0;
  ScreenSize show_size_;
  std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> image_{nullptr,
                                                                      cairo_surface_destroy};
  std::optional<CairoSurface> surface_;
  std::vector<std::unique_ptr<ShmBuffer>> buffers_;  // the show's pool
  std::vector<Input> inputs_;
  bool layout_changed_ = false;
};

}  // namespace rovanel
