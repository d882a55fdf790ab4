// The tour state every solver procedure shares, and the distance function.
#pragma once

#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>

namespace rovanel {

// A fixed array of 51 entries. An index outside 0..50 is an error of the caller; debug and
// sanitizer builds trap on it.
template <class T>
class Slots {
 public:
  static constexpr int kSize = 51;

  T& operator[](int i) {
    assert(i >= 0 && i < kSize && "tour index outside 0..50");
    return v_[static_cast<std::size_t>(i)];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < kSize && "tour index outside 0..50");
    return v_[static_cast<std::size_t>(i)];
  }

 private:
  std::array<T, kSize> v_{};
};

// The state the system's procedures share, field by field as its design has it, zero when
// created. The working values of single procedures (pick, sj, sel, mind, curd, settled) live
// here too, as they do there: the procedures take no arguments and keep nothing of their own.
struct TourState {
  Slots<double> x, y;                  // working tour
  Slots<double> orgx, orgy;            // generated points, then the pool of inijunban
  Slots<double> inix, iniy;            // start tour of the current iteration
  Slots<double> t1x, t1y;              // scratch of ten1
  Slots<double> t2x, t2y;              // scratch of ten2 and ten2b
  Slots<double> bestx, besty;          // best tour of the problem
  std::int16_t n = 0;                  // points of the problem, 4..49
  std::int16_t type = 0;               // strategy type 0..3: closed tour, open path, ends fixed
  std::int16_t ncross = 0;             // crossings listed by majiwaruka
  std::int16_t pick = 0;               // the listed crossing majiwaruka exchanges
  std::int16_t sj = 0;                 // its second segment's start
  double bestd = 0;                    // length of the best tour
  std::int32_t counter2 = 0;           // improvements in this problem
  std::int16_t sel = 0;                // the point nearest picks, the one inijunban draws
  double mind = 0;                     // nearest's shortest distance so far
  Slots<std::int16_t> crossa, crossb;  // crossing list of majiwaruka
  double curd = 0;                     // length of the tour hantei measured last
  std::int16_t settled = 0;            // renzoku4ten found nothing shorter: 1
  std::int32_t iter = 0;               // iteration of the problem, 0..maxiter
  std::int32_t maxiter = 0;
  std::int16_t barx = 0, bary = 0;  // the scale bar's offset, drawn once per problem
};

// kyori ("distance") of two points: sqrt(dx^2 + dy^2), summed as b + a like the power-function
// form it stands for, and correctly rounded like it.
inline double kyori(double x1, double y1, double x2, double y2) {
  const double dy = y2 - y1;
  const double dx = x2 - x1;
  const double a = dy * dy;
  const double b = dx * dx;
  return std::sqrt(b + a);
}

}  // namespace rovanel
