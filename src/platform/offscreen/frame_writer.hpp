// Writes finished frames as numbered PNG files; any failed write is an error, never skipped.
#pragma once

#include <cairo.h>

#include <stdexcept>
#include <string>

namespace rovanel {

struct FrameWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FrameWriter {
 public:
  explicit FrameWriter(std::string dir) : dir_(std::move(dir)) {}
  // DIR/frame-000001.png, DIR/frame-000002.png, ...; throws FrameWriteError.
  void write(cairo_surface_t* surface);
  long written() const { return written_; }

 private:
  std::string dir_;
  long written_ = 0;
};

}  // namespace rovanel
