#include "platform/wayland/shm_pool.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/linux/fail.hpp"
#include "platform/wayland/connection.hpp"

namespace rovanel {

namespace {

constexpr std::size_t kMaxBuffers = 3;
// A buffer further behind than this many boxes is brought up to date whole.
constexpr std::size_t kMaxStaleBoxes = 32;

void released(void* data, wl_buffer*) {
  static_cast<ShmBuffer*>(data)->busy = false;
}

const wl_buffer_listener kBufferListener = {
    .release = released,
};

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, int w, int h) : width(w), height(h), stride(4 * w) {
  const auto size = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  const int fd = memfd_create("rovanel-buffer", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(size)) != 0) {
    fail(std::string("cannot make a buffer of shared memory: ") + std::strerror(errno));
  }
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    fail(std::string("cannot map a buffer of shared memory: ") + std::strerror(errno));
  }
  pixels = static_cast<std::uint8_t*>(memory);  // zeros: black
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(size));
  buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(pool);
  close(fd);
  wl_buffer_add_listener(buffer, &kBufferListener, this);
  stale.push_back({0, 0, width, height});
}

ShmBuffer::~ShmBuffer() {
  wl_buffer_destroy(buffer);
  munmap(pixels, static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
}

void ShmPool::reset(int width, int height) {
  buffers_.clear();
  width_ = width;
  height_ = height;
  ++resets_;
}

ShmBuffer* ShmPool::free_buffer() {
  const unsigned resets = resets_;
  while (resets == resets_ && width_ > 0 && height_ > 0) {
    for (const auto& buffer : buffers_) {
      if (!buffer->busy) {
        return buffer.get();
      }
    }
    if (buffers_.size() < kMaxBuffers) {
      buffers_.push_back(std::make_unique<ShmBuffer>(shm_, width_, height_));
      return buffers_.back().get();
    }
    read_events(display_, wake_fd_, -1);  // until the compositor lets one go
  }
  return nullptr;
}

void ShmPool::present(wl_surface* surface, const std::uint8_t* image, int stride,
                      const Damage& damage) {
  ShmBuffer* free = free_buffer();
  if (free == nullptr) {
    return;
  }
  ShmBuffer& target = *free;
  for (const auto& buffer : buffers_) {
    Damage& stale = buffer->stale;
    stale.insert(stale.end(), damage.begin(), damage.end());
    if (stale.size() > kMaxStaleBoxes) {
      stale = {{0, 0, width_, height_}};
    }
  }
  for (const Box& box : target.stale) {
    for (int y = box.top; y < box.bottom; ++y) {
      std::memcpy(target.pixels + y * target.stride + 4 * box.left,
                  image + y * stride + 4 * box.left,
                  4 * static_cast<std::size_t>(box.right - box.left));
    }
  }
  target.stale.clear();
  wl_surface_attach(surface, target.buffer, 0, 0);
  for (const Box& box : damage) {
    wl_surface_damage_buffer(surface, box.left, box.top, box.right - box.left,
                             box.bottom - box.top);
  }
  wl_surface_commit(surface);
  target.busy = true;
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
    lost_connection(display_);
  }
}

}  // namespace rovanel
