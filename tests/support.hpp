// Test doubles for the solver: scripted random numbers and a host that records what it is asked.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "solver/solver.hpp"

namespace rovanel::testing {

// Hands out the given values in order, then repeats the last one; counts every draw.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::vector<float> values = {0.0f}) : values_(std::move(values)) {}
  float next() override {
    const float r = values_[std::min(draws, values_.size() - 1)];
    ++draws;
    return r;
  }
  std::size_t draws = 0;

 private:
  std::vector<float> values_;
};

// Counts draws of a real generator.
class CountingRandom final : public RandomSource {
 public:
  explicit CountingRandom(std::uint32_t seed) : source_(seed) {}
  float next() override {
    ++draws;
    return source_.next();
  }
  std::size_t draws = 0;

 private:
  Mt19937Source source_;
};

// Records every host call as a word; yield can be scripted to set the stop flag.
class RecordingHost : public DriverHost {
 public:
  void show() override { log("show"); }
  void start_saver() override { log("start_saver"); }
  void redraw_now() override { log("redraw_now"); }
  void yield() override {
    ++yields;
    if (yields == stop_at_yield) {
      quitflag = -1;
    }
    if (log_yields) {
      log("yield");
    }
  }
  void repaint() override { log("repaint"); }
  ScreenSize screen_size() override { return screen; }
  void place_label(float top, float left) override {
    label_top = top;
    label_left = left;
    log("place_label");
  }
  void clear() override { log("clear"); }
  void hide() override { log("hide"); }
  void unload() override { log("unload"); }

  void log(const std::string& word) { calls.push_back(word); }

  std::vector<std::string> calls;
  ScreenSize screen{1024, 768};
  long yields = 0;
  long stop_at_yield = -1;
  bool log_yields = false;
  float label_top = -1;
  float label_left = -1;
};

struct Point {
  double x;
  double y;
};

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

// Points a, b, c, ... at (0, 0), (1, 0), (2, 0), ...: a tour reads as a word.
inline void set_letters(TourState& s, const std::string& word) {
  s.n = static_cast<std::int16_t>(word.size());
  for (int i = 0; i < s.n; ++i) {
    s.x[i] = word[static_cast<std::size_t>(i)] - 'a';
    s.y[i] = 0;
  }
}

inline std::string letters(const TourState& s) {
  std::string word;
  for (int i = 0; i < s.n; ++i) {
    word += static_cast<char>('a' + static_cast<int>(s.x[i]));
  }
  return word;
}

inline bool operator==(const Point& a, const Point& b) {
  return a.x == b.x && a.y == b.y;
}
inline void PrintTo(const Point& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ")";
}

}  // namespace rovanel::testing
