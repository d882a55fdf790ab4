// Shared-memory buffers for the compositor: one of a size, and the show's pool of them.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "display/surface.hpp"

namespace rovanel {

// A wl_buffer on shared memory, XRGB8888, black when made. Memory that cannot be had ends the
// program (status 1).
struct ShmBuffer {
  ShmBuffer(wl_shm* shm, int width, int height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  wl_buffer* buffer = nullptr;
  std::uint8_t* pixels = nullptr;
  int width;
  int height;
  int stride;
  bool busy = false;  // the compositor holds it until its release event
  Damage stale;       // boxes of the frame it does not show yet
};

// The show's buffers: at most three of the show's size (one shown, one on its way, one to draw
// into), none written while the compositor holds it. Each keeps the boxes it lacks, so a frame
// copies only those from the image it is drawn in.
class ShmPool {
 public:
  // Buffers of shm, the compositor's once the registry has told of it. Waiting for a buffer
  // reads the display's events, and ends early if wake_fd becomes readable.
  ShmPool(wl_display* display, wl_shm* const& shm, int wake_fd)
      : display_(display), shm_(shm), wake_fd_(wake_fd) {}

  // Buffers of this size from now on (none: 0 x 0); the old ones are let go.
  void reset(int width, int height);
  // The frame in image (XRGB8888 rows of stride bytes, the pool's size) on the surface: what the
  // next free buffer lacks copied in, only the frame's damage damaged, committed. Nothing if the
  // pool is reset while it waits for a buffer (the surface may have gone with its output).
  void present(wl_surface* surface, const std::uint8_t* image, int stride, const Damage& damage);

 private:
  // A buffer the compositor does not hold; null if the pool was reset meanwhile.
  ShmBuffer* free_buffer();

  wl_display* display_;
  wl_shm* const& shm_;
  int wake_fd_;
  int width_ = 0;
  int height_ = 0;
  unsigned resets_ = 0;
  std::vector<std::unique_ptr<ShmBuffer>> buffers_;
};

}  // namespace rovanel
