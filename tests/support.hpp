// Test doubles for the solver: scripted random numbers, a host that draws nothing, tours by hand.
#pragma once

#include <algorithm>
#include <compare>
#include <ostream>
#include <utility>
#include <vector>

#include "solver/solver.hpp"

namespace rovanel::testing {

// Hands out the given values in order, then repeats the last one; counts every draw.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<float> values = {0.0f}) : values_(std::move(values)) {}
  float next() override { return values_[std::min(draws++, values_.size() - 1)]; }
  std::size_t draws = 0;

 private:
  std::vector<float> values_;
};

// A host for the procedures alone: counts repaints; the yield after a problem stops the driver.
class QuietHost : public DriverHost {
 public:
  Solver* solver = nullptr;
  ScreenSize screen{1024, 768};
  long repaints = 0;
  void show() override {}
  void start_saver() override {}
  void redraw_now() override {}
  void yield() override {
    if (solver != nullptr && solver->problem_finished()) {
      solver->quitflag = -1;
    }
  }
  void repaint() override { ++repaints; }
  ScreenSize screen_size() override { return screen; }
  void place_label(float, float) override {}
  void clear() override {}
  void hide() override {}
  void unload() override {}
};

struct Point {
  double x, y;
  auto operator<=>(const Point&) const = default;
};
inline void PrintTo(const Point& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ")";
}

inline void set_tour(TourState& s, const std::vector<Point>& points) {
  s.n = static_cast<std::int16_t>(points.size());
  for (int i = 0; i < s.n; ++i) {
    s.x[i] = points[static_cast<std::size_t>(i)].x;
    s.y[i] = points[static_cast<std::size_t>(i)].y;
  }
}

inline std::vector<Point> tour_of(const TourState& s) {
  std::vector<Point> v;
  for (int i = 0; i < s.n; ++i) {
    v.push_back({s.x[i], s.y[i]});
  }
  return v;
}

// n random points on a 1920 x 1080 screen, 15 pixels inside its edges.
inline std::vector<Point> random_points(Mt19937Source& random, int n) {
  std::vector<Point> v(static_cast<std::size_t>(n));
  for (Point& p : v) {
    p.x = 15 + random.next() * 1890.0;
    p.y = 15 + random.next() * 1050.0;
  }
  return v;
}

}  // namespace rovanel::testing
