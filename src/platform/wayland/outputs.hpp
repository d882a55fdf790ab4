// The outputs the compositor lists, each covered by a surface of its own while the saver shows:
// where each lies, its scales and size; black, but for the one that shows the show.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "fractional-scale.h"
#include "layer-shell.h"
#include "platform/wayland/shm_pool.hpp"
#include "viewporter.h"
#include "xdg-output.h"
#include "xdg-shell.h"

namespace rovanel {

// The compositor's globals the face uses, as the registry announces them.
struct Globals {
  wl_compositor* compositor = nullptr;
  wl_shm* shm = nullptr;
  zwlr_layer_shell_v1* layer_shell = nullptr;
  xdg_wm_base* wm_base = nullptr;  // the fallback where there is no layer shell
  wp_viewporter* viewporter = nullptr;
  wp_fractional_scale_manager_v1* fractional_manager = nullptr;
  zxdg_output_manager_v1* xdg_output_manager = nullptr;
};

class Outputs;

// One output and the surface that covers it.
struct Output {
  Outputs* outputs = nullptr;
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

class Outputs {
 public:
  // show_gone runs when the show's surface goes with its output.
  Outputs(const Globals& globals, std::function<void()> show_gone)
      : globals_(globals), show_gone_(std::move(show_gone)) {}

  void add(wl_output* output, std::uint32_t name);
  // An output gone: its surface with it. If the show was there, the layout has changed.
  void remove(std::uint32_t name);
  // Asks xdg-output where each output lies (its manager may come after the outputs).
  void describe_all();
  // A surface over every output, above everything, taking the keyboard; outputs that come later
  // get theirs at once.
  void cover_all();
  // Every surface unmapped: its buffer taken away.
  void unmap_all();

  // The output whose surface this is, if any.
  const Output* covered_by(const wl_surface* surface) const;
  // The first output listed that has a surface and a size: where the show goes.
  Output* first_sized() const;
  // The output that shows the show: null before the first layout and after it went.
  Output* show() const { return show_; }
  // The show goes to this output; the one that had it turns black.
  void show_on(Output& out);

  bool layout_changed = false;   // an output came, went or changed: followed at the next pump
  bool close_requested = false;  // a fullscreen window's close: the form's unload

 private:
  friend struct OutputEvents;
  void describe(Output& out);
  void cover(Output& out);
  void uncover(Output& out);
  // The output took a size: it shows black, or the show once the layout is followed.
  void configured(Output& out, int width, int height);
  void attach_black(Output& out);

  const Globals& globals_;
  std::function<void()> show_gone_;
  std::vector<std::unique_ptr<Output>> list_;  // in the order the compositor listed them
  Output* show_ = nullptr;
  bool covering_ = false;
};

}  // namespace rovanel
