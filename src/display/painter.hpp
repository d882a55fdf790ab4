// repaint: the whole picture of the saver window from the tour state.
#pragma once

#include <string>

#include "display/scene.hpp"
#include "solver/tour_state.hpp"

namespace rovanel {

// Clears the scene, writes the status line, then draws the points, the end marks, the best tour
// and the scale bar, in this order.
void paint(const TourState& s, Scene& scene);

// "N=.. d=.. counter2=.. type=.. time=.."
std::string status_caption(const TourState& s);

}  // namespace rovanel
