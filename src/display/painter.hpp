// repaint: the whole picture of the saver window from the tour state.
#pragma once

#include <string>

#include "display/scene.hpp"
#include "solver/tour_state.hpp"

namespace rovanel {

// Clears the scene, writes the status line, then draws the points, the end marks, the best tour
// and the scale bar, in this order; the bar lies in the top right corner of a screen of that
// width in pixels.
void paint(const TourState& s, float screen_width, Scene& scene);

// "N=.. d=.. counter2=.. type=.. time=.."
std::string status_caption(const TourState& s);

}  // namespace rovanel
