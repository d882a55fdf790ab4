// The timing rules of a saver window: a frame that shows a better tour stays on screen long
// enough to be followed, other frames come at most 30 a second, and events are pumped at most
// once a millisecond (a yield in between costs a count, now and then a clock read). Offscreen runs
// are not paced at all.
#pragma once

#include <chrono>

namespace rovanel {

class Pacing {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kFrameInterval = std::chrono::microseconds(33334);
  // An improvement's frame: long enough for the eye to find the edges that changed before the
  // next step comes, short enough that a problem of 49 points still ends within seconds.
  static constexpr Clock::duration kImprovementHold = std::chrono::milliseconds(200);
  static constexpr Clock::duration kPumpInterval = std::chrono::milliseconds(1);

  Pacing() = default;
  // Every yield pumps, no frame waits.
  static Pacing unpaced() { return Pacing(false); }

  // How long a saver shows a frame before the next one.
  static constexpr Clock::duration hold(bool improvement) {
    return improvement ? kImprovementHold : kFrameInterval;
  }

  // Yields between two readings of the clock. The driver yields for every point of every restart
  // pass, some tens of thousands of times a second in bursts a few nanoseconds apart; on the page
  // a reading is a call out to the browser (half a microsecond), a tenth of its CPU.
  static constexpr int kYieldsPerClockRead = 16;

  // Whether a yield now should pump events: only every kYieldsPerClockRead-th yield reads the
  // clock. Unpaced, every yield pumps and the clock goes unread.
  bool pump_due() {
    if (!paced_) {
      return true;
    }
    if (++yields_ < kYieldsPerClockRead) {
      return false;
    }
    yields_ = 0;
    return pump_due(Clock::now());
  }
  // Whether a yield at this moment should pump events; if so, counts it as done.
  bool pump_due(Clock::time_point now) {
    if (now - last_pump_ < kPumpInterval) {
      return false;
    }
    last_pump_ = now;
    return true;
  }

  // How long the next frame must still wait; nothing once the saver is stopping, so the driver
  // reaches its next yield at full speed.
  Clock::duration frame_wait(Clock::time_point now, bool stopping) const {
    const Clock::duration left = next_frame_ - now;
    return !paced_ || stopping || left < Clock::duration::zero() ? Clock::duration::zero() : left;
  }

  // A frame reached the screen: the next one waits its turn, longer after an improvement.
  void presented(Clock::time_point now, bool improvement) { next_frame_ = now + hold(improvement); }

 private:
  explicit Pacing(bool paced) : paced_(paced) {}

  bool paced_ = true;
  int yields_ = 0;  // since the clock was last read
  Clock::time_point last_pump_{};
  Clock::time_point next_frame_{};
};

}  // namespace rovanel
