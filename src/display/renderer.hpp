// Puts scenes on a surface. A frame differs from the one before in a few shapes (an improved
// tour changes some edges, the status line changes its text): only the boxes of the shapes that
// came or went are erased, redrawn with every shape that touches them, and presented. Inside
// those boxes that is what a full redraw gives, and outside them nothing has changed, so the
// result is the full redraw's, pixel for pixel.
#pragma once

#include <optional>

#include "display/scene.hpp"
#include "display/surface.hpp"

namespace rovanel {

class Renderer {
 public:
  // Draws the scene; the first frame is drawn whole.
  void render(const Scene& scene, Surface& surface);
  // The next frame is drawn whole: the surface holds nothing of the last one (it is new, or of
  // another size).
  void redraw_all() { shown_.reset(); }

 private:
  // The boxes of the shapes that came or went, and of the label if it changed.
  static Damage damage(const Scene& before, const Scene& after, Surface& surface);

  std::optional<Scene> shown_;
};

}  // namespace rovanel
