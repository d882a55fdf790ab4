// The solver: the procedures of the saver window on its one tour state, and the episode driver.
//
// The procedures keep the short names the system gives them, most of them romanized Japanese;
// the trace and the design speak them too. What each word means, and what it does here:
//   hantei       "judgement": measures the working tour; a strictly shorter one becomes the best
//                tour, counts as an improvement and is repainted
//   kyori        "distance" of two points
//   inijunban    "initial order": a random start order of the movable positions
//   nearest      the nearest-neighbour tour from the first point
//   koukan       "exchange": two positions swap their points
//   majiwaru     "cross": whether two segments cross
//   majiwaruka   "do they cross?": crossing removal, exchanging crossed edges until none cross
//   renzoku4ten  "four consecutive points": swaps the middle two of four when that is shorter
//   saisyo       "first": which of the first two points starts an open path
//   saigo        "last": which of the last two points ends it
//   ten1         "one point": every relocation of one point
//   ten2, ten2b  "two points": every relocation of two neighbouring points, kept in order or
//                reversed
// Every candidate tour a move makes is written into the working tour x/y and judged by hantei;
// the moves never judge a tour themselves.
#pragma once

#include <cstdint>
#include <memory>

#include "solver/majiwaru.hpp"
#include "solver/random_source.hpp"
#include "solver/screen.hpp"
#include "solver/tour_state.hpp"

namespace rovanel {

// What the driver needs of the window that runs it.
class DriverHost {
 public:
  virtual ~DriverHost() = default;
  virtual void show() = 0;
  // Switch the screen saver flag on and hide the cursor, once at the start.
  virtual void start_saver() = 0;
  virtual void redraw_now() = 0;
  // Process pending events; input handlers may set quitflag.
  virtual void yield() = 0;
  virtual void repaint() = 0;
  virtual ScreenSize screen_size() = 0;
  // Moves lblStatus; left and top in pixels.
  virtual void place_label(float left, float top) = 0;
  virtual void clear() = 0;
  virtual void hide() = 0;
  // Runs the window's unload handler; a real window ends the program there.
  virtual void unload() = 0;
};

// Positions lo .. hi - 1 may move; the others stay where they are.
struct MovableRange {
  std::int16_t lo;
  std::int16_t hi;
};

class Solver : public TourState {
 public:
  static constexpr std::int32_t kMaxIter = 50;
  static constexpr double kResetBestd = 9999999.9;
  // Crossing removal gives up after this many exchanges in one call rather than risk a cycle
  // that would freeze the screen.
  static constexpr std::int32_t kMaxCrossingExchanges = 100000;

  Solver(RandomSource& random, DriverHost& host) : random_(random), host_(host) {}
  virtual ~Solver() = default;
  Solver(const Solver&) = delete;
  Solver& operator=(const Solver&) = delete;

  // The episode driver: runs problems until quitflag is set, then shuts the window down.
  void run();

  // Forces the size or type of every problem; the draw that would have chosen it is still taken.
  void force_problem(std::int16_t n_or_0, std::int16_t type_or_minus1) {
    forced_n_ = n_or_0;
    forced_type_ = type_or_minus1;
  }

  void inijunban();
  void nearest();
  // Virtual so that tests can watch the tours measured and compare with a plain crossing removal.
  virtual void majiwaruka();
  virtual void hantei();
  void renzoku4ten();
  void saisyo();
  void saigo();
  void ten1();
  void ten2();
  void ten2b();

  // The points at positions kie and kjs change places.
  void koukan(std::int16_t kie, std::int16_t kjs) {
    const double kx = x[kie];
    const double ky = y[kie];
    x[kie] = x[kjs];
    y[kie] = y[kjs];
    x[kjs] = kx;
    y[kjs] = ky;
  }

  MovableRange movable_range() const;

  // A problem has just run its last iteration: the loop leaves iter one past maxiter, and the
  // next problem's first yield is the only one that sees it so.
  bool problem_finished() const { return iter == maxiter + 1; }

  // The stop flag: 0 run, -1 stop. The input handlers set it while the driver yields; the driver
  // tests it right after each yield.
  std::int16_t quitflag = 0;

  // Calls of hantei since the last reset of the count (for traces and benchmarks).
  std::int64_t hantei_calls = 0;

  // Crossing removal tests four pairs of edges at a time where the processor has AVX2, two
  // elsewhere; the results are the same either way (tests run both).
  static bool wide_lanes;

  // A whole number among k choices: floor(r * k), formed in double precision.
  std::int16_t draw_index(int k) {
    return static_cast<std::int16_t>(static_cast<double>(random_.next()) * k);
  }

 protected:
  double draw() { return static_cast<double>(random_.next()); }

 private:
  bool stopped() {
    host_.yield();
    return quitflag == -1;
  }
  bool run_problem();
  bool run_iteration();
  void take_best();
  template <int kWidth>
  void relocate(bool reversed, Slots<double>& sx, Slots<double>& sy);

  RandomSource& random_;
  DriverHost& host_;
  std::int16_t forced_n_ = 0;
  std::int16_t forced_type_ = -1;
  // Crossing removal's tables, kept from one call to the next; complete only where it is defined.
  struct CrossingCache;
  std::shared_ptr<CrossingCache> crossing_cache_;
};

}  // namespace rovanel
