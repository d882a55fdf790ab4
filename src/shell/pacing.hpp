// The timing rules of a real saver window: at most 30 frames a second, and an event pump at
// most once a millisecond (a yield in between is a clock read).
#pragma once

#include <chrono>

#include "solver/tour_state.hpp"

namespace rovanel {

class Pacing {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kFrameInterval = std::chrono::microseconds(33334);
  static constexpr Clock::duration kPumpInterval = std::chrono::milliseconds(1);

  // Whether a yield at this moment should pump events; if so, counts it as done.
  bool pump_due(Clock::time_point now) {
    if (now - last_pump_ < kPumpInterval) {
      return false;
    }
    last_pump_ = now;
    return true;
  }

  // How long the next frame must still wait; nothing once the stop flag is set, so the driver
  // reaches its next yield at full speed.
  Clock::duration frame_wait(Clock::time_point now) const {
    if (quitflag == -1) {
      return Clock::duration::zero();
    }
    const Clock::duration left = last_frame_ + kFrameInterval - now;
    return left > Clock::duration::zero() ? left : Clock::duration::zero();
  }

  void presented(Clock::time_point now) { last_frame_ = now; }

 private:
  Clock::time_point last_pump_{};
  Clock::time_point last_frame_{};
};

}  // namespace rovanel
