#include "platform/wayland/seat.hpp"

#include <unistd.h>

#include <cstdint>

#include "platform/wayland/connection.hpp"

namespace rovanel {

namespace {

// A device the seat no longer has: the release request where the seat knows it (version 3 on),
// else the proxy alone is gone.
template <class Device>
void give_back(Device*& device, void (*release)(Device*), void (*destroy)(Device*)) {
  constexpr std::uint32_t kReleaseSince = 3;
  if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= kReleaseSince) {
    release(device);
  } else {
    destroy(device);
  }
  device = nullptr;
}

}  // namespace

struct SeatEvents {
  static Seat& of(void* data) { return *static_cast<Seat*>(data); }
  static void queue(void* data, Seat::Input::Kind kind) { of(data).inputs.push_back({kind}); }

  static void capabilities(void* data, wl_seat* seat, std::uint32_t caps);

  // The first surface the pointer enters is no move: as on X11, the first motion only records
  // where it is. Entering another one is: the pointer went from one output to the next.
  static void enter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                    wl_fixed_t x, wl_fixed_t y) {
    Seat& seat = of(data);
    seat.over_ = surface;
    if (seat.entered_) {
      motion(data, pointer, 0, x, y);
    }
    seat.entered_ = true;
    if (seat.cursor_hidden_) {
      wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
  }
  static void leave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
    of(data).over_ = nullptr;
  }
  // Where the pointer is in the compositor's space: from the corner of the output it is over
  // (looked up now: that output may have gone).
  static void motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    Seat& seat = of(data);
    if (const Output* out = seat.outputs_.covered_by(seat.over_); out != nullptr) {
      seat.inputs.push_back({Seat::Input::Kind::kMove, out->x + wl_fixed_to_double(x),
                             out->y + wl_fixed_to_double(y)});
    }
  }
  static void button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
      queue(data, Seat::Input::Kind::kClick);
    }
  }
  // A wheel turn, either way: a button, as X11 reports it.
  static void axis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {
    queue(data, Seat::Input::Kind::kClick);
  }

  static void keymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) {
    close(fd);
  }
  static void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                  std::uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
      queue(data, Seat::Input::Kind::kKey);
    }
  }

  // A touch is a click.
  static void down(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t,
                   wl_fixed_t, wl_fixed_t) {
    queue(data, Seat::Input::Kind::kClick);
  }
};

namespace {

const wl_seat_listener kSeatListener = {
    .capabilities = SeatEvents::capabilities,
    .name = ignore,
};

const wl_pointer_listener kPointerListener = {
    .enter = SeatEvents::enter,
    .leave = SeatEvents::leave,
    .motion = SeatEvents::motion,
    .button = SeatEvents::button,
    .axis = SeatEvents::axis,
    .frame = ignore,
    .axis_source = ignore,
    .axis_stop = ignore,
    .axis_discrete = ignore,
    .axis_value120 = ignore,
};

const wl_keyboard_listener kKeyboardListener = {
    .keymap = SeatEvents::keymap,
    .enter = ignore,
    .leave = ignore,
    .key = SeatEvents::key,
    .modifiers = ignore,
    .repeat_info = ignore,
};

const wl_touch_listener kTouchListener = {
    .down = SeatEvents::down,
    .up = ignore,
    .motion = ignore,
    .frame = ignore,
    .cancel = ignore,
    .shape = ignore,
    .orientation = ignore,
};

// A device the seat has or no longer has: taken with its listener, or given back.
template <class Device, class Listener>
void follow(bool present, Device*& device, Device* (*get)(wl_seat*), wl_seat* seat,
            int (*add_listener)(Device*, const Listener*, void*), const Listener& listener,
            void* data, void (*release)(Device*), void (*destroy)(Device*)) {
  if (present && device == nullptr) {
    device = get(seat);
    add_listener(device, &listener, data);
  } else if (!present && device != nullptr) {
    give_back(device, release, destroy);
  }
}

}  // namespace

// Devices come and go (a virtual keyboard for one key, say): follow them.
void SeatEvents::capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
  Seat& self = of(data);
  const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
  follow(pointer, self.pointer_, wl_seat_get_pointer, seat, wl_pointer_add_listener,
         kPointerListener, data, wl_pointer_release, wl_pointer_destroy);
  if (!pointer) {
    self.over_ = nullptr;
  }
  follow((caps & WL_SEAT_CAPABILITY_TOUCH) != 0, self.touch_, wl_seat_get_touch, seat,
         wl_touch_add_listener, kTouchListener, data, wl_touch_release, wl_touch_destroy);
  follow((caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0, self.keyboard_, wl_seat_get_keyboard, seat,
         wl_keyboard_add_listener, kKeyboardListener, data, wl_keyboard_release,
         wl_keyboard_destroy);
}

Seat::Seat(wl_seat* seat, const Outputs& outputs) : outputs_(outputs) {
  wl_seat_add_listener(seat, &kSeatListener, this);
}

}  // namespace rovanel
