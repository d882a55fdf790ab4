// repaint: the whole picture of the saver window from the tour state.
#pragma once

#include <string>

#include "display/canvas.hpp"
#include "solver/tour_state.hpp"

namespace rovanel {

class Painter {
 public:
  Painter(TourState& state, Canvas& canvas) : s_(state), canvas_(canvas) {}

  // Clears, writes the status line, then draws the points, the end marks, the best tour and the
  // scale bar, in this order. Leaves si/si1 at the last edge drawn.
  void repaint();

  // "N=.. d=.. counter2=.. type=.. time=.."
  static std::string status_caption(const TourState& s);

 private:
  void square(double cx, double cy);

  TourState& s_;
  Canvas& canvas_;
};

}  // namespace rovanel
