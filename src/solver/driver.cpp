// The episode driver: problem after problem, 51 iterations each, until the stop flag is set.
#include "solver/solver.hpp"

namespace rovanel {

void Solver::run() {
  host_.show();
  maxiter = kMaxIter;
  quitflag = 0;
  host_.start_saver();
  host_.redraw_now();
  while (run_problem()) {
  }
  host_.clear();
  host_.hide();
  host_.unload();
}

// One problem; false as soon as a yield sees the stop flag.
bool Solver::run_problem() {
  if (stopped()) {
    return false;
  }
  counter2 = 0;
  n = static_cast<std::int16_t>(draw_index(46) + 4);
  if (forced_n_ != 0) {
    n = forced_n_;
  }
  for (int i = 0; i < n; ++i) {
    const ScreenSize screen = host_.screen_size();
    x[i] = draw() * (screen.width - 30.0) + 15.0;
    y[i] = draw() * (screen.height - 30.0) + 15.0;
    orgx[i] = x[i];
    orgy[i] = y[i];
  }
  // The new points with the previous problem's best tour and values.
  host_.repaint();
  bestd = kResetBestd;
  host_.place_label(static_cast<float>(draw() * 100.0), 0.0f);
  type = draw_index(4);
  if (forced_type_ >= 0) {
    type = forced_type_;
  }
  barx = draw_index(50);
  bary = draw_index(50);
  const std::int32_t last = maxiter;
  for (iter = 0; iter <= last; ++iter) {
    if (!run_iteration()) {
      return false;
    }
  }
  return quitflag != -1;
}

bool Solver::run_iteration() {
  if (stopped()) {
    return false;
  }
  const bool redraw = n >= 21 || (n >= 10 && iter % 3 == 0) || (n <= 9 && iter % 10 == 0);
  if (redraw) {
    host_.repaint();
  }
  inijunban();
  if (type < 2) {
    nearest();
  }
  for (int j = 0; j < n; ++j) {
    inix[j] = x[j];
    iniy[j] = y[j];
  }
  const int passes = 4 * n;
  for (int pass = 0; pass < passes; ++pass) {
    for (int j = 0; j < n; ++j) {
      if (stopped()) {
        return false;
      }
      x[j] = inix[j];
      y[j] = iniy[j];
    }
    majiwaruka();
    hantei();
    renzoku4ten();
    if (type == 1) {
      saisyo();
    }
    if (type == 1 || type == 2) {
      saigo();
    }
  }
  take_best();
  ten1();
  hantei();
  majiwaruka();
  hantei();
  take_best();
  ten2();
  hantei();
  majiwaruka();
  hantei();
  take_best();
  ten2b();
  hantei();
  majiwaruka();
  hantei();
  return true;
}

void Solver::take_best() {
  for (int j = 0; j < n; ++j) {
    x[j] = bestx[j];
    y[j] = besty[j];
  }
}

}  // namespace rovanel
