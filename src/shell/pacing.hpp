// The timing rules of a saver window: at most 30 frames a second, and an event pump at most once
// a millisecond (a yield in between is a clock read). Offscreen runs are not paced at all.
#pragma once

#include <chrono>

namespace rovanel {

class Pacing {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kFrameInterval = std::chrono::microseconds(33334);
  static constexpr Clock::duration kPumpInterval = std::chrono::milliseconds(1);

  Pacing() = default;
  // Every yield pumps, no frame waits.
  static Pacing unpaced() { return Pacing(Clock::duration::zero(), Clock::duration::zero()); }

  // Whether a yield now should pump events. Unpaced, every yield pumps and the clock goes unread.
  bool pump_due() { return pump_interval_ == Clock::duration::zero() || pump_due(Clock::now()); }
  // Whether a yield at this moment should pump events; if so, counts it as done.
  bool pump_due(Clock::time_point now) {
    if (now - last_pump_ < pump_interval_) {
      return false;
    }
    last_pump_ = now;
    return true;
  }

  // How long the next frame must still wait; nothing once the saver is stopping, so the driver
  // reaches its next yield at full speed.
  Clock::duration frame_wait(Clock::time_point now, bool stopping) const {
    const Clock::duration left = last_frame_ + frame_interval_ - now;
    return stopping || left < Clock::duration::zero() ? Clock::duration::zero() : left;
  }

  void presented(Clock::time_point now) { last_frame_ = now; }

 private:
  Pacing(Clock::duration frame, Clock::duration pump)
      : frame_interval_(frame), pump_interval_(pump) {}

  Clock::duration frame_interval_ = kFrameInterval;
  Clock::duration pump_interval_ = kPumpInterval;
  Clock::time_point last_pump_{};
  Clock::time_point last_frame_{};
};

}  // namespace rovanel
