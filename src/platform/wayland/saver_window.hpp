// The saver window on Wayland: one surface per output, the show on one of them and the others
// black. Frames are drawn with cairo into an image of device pixels; only the damaged boxes are
// copied into shared-memory buffers and handed to the compositor.
#pragma once

#include <wayland-client.h>

#include <memory>
#include <optional>

#include "platform/cairo/cairo_surface.hpp"
#include "platform/wayland/outputs.hpp"
#include "platform/wayland/seat.hpp"
#include "platform/wayland/shm_pool.hpp"
#include "shell/window_system.hpp"

namespace rovanel {

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
  void show_cursor(bool visible) override;
  // The compositor's idle handling stays as it is: no inhibitor.
  void set_screensaver_active() override {}
  void restore_screensaver_active() override {}
  [[noreturn]] void end_program() override;

 private:
  friend struct RegistryEvents;
  // Where the show lies now, at what scale; a new image when that changed. True if it did.
  bool lay_out();
  void present(const Damage& damage);
  // Input, a layout to follow or a signal is waiting for the next pump.
  bool pending() const;

  wl_display* display_;
  std::optional<float> forced_scale_;
  int stop_fd_ = -1;
  Globals globals_;
  Outputs outputs_;
  std::unique_ptr<Seat> seat_;
  bool cursor_hidden_ = false;
  ShmPool pool_;
  float scale_ = 1;
  int device_width_ = 0;  // the show's image, device pixels
  int device_height_ = 0;
  ScreenSize show_size_;
  std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> image_{nullptr,
                                                                      cairo_surface_destroy};
  std::optional<CairoSurface> surface_;
};

}  // namespace rovanel
