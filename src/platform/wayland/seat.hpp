// The seat and its input over the saver's surfaces: keys, buttons, wheel turns, touches and
// pointer moves, kept until the window's next pump hands them to the form.
#pragma once

#include <wayland-client.h>

#include <vector>

#include "platform/wayland/outputs.hpp"

namespace rovanel {

class Seat {
 public:
  // Follows the seat's devices as they come and go; moves are placed by the outputs' positions.
  Seat(wl_seat* seat, const Outputs& outputs);
  Seat(const Seat&) = delete;
  Seat& operator=(const Seat&) = delete;

  struct Input {
    enum class Kind { kKey, kClick, kMove } kind;
    double x = 0, y = 0;  // a move's, in the compositor's space (logical pixels)
  };
  // Since the last pump, in order.
  std::vector<Input> inputs;

  // Whether the pointer shows a cursor over the saver's surfaces, from its next entering on.
  void set_cursor_hidden(bool hidden) { cursor_hidden_ = hidden; }

 private:
  friend struct SeatEvents;

  const Outputs& outputs_;
  wl_pointer* pointer_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  wl_touch* touch_ = nullptr;
  const wl_surface* over_ = nullptr;  // the surface the pointer is over
  bool entered_ = false;  // the pointer has been over a surface: entering another is a move
  bool cursor_hidden_ = false;
};

}  // namespace rovanel
