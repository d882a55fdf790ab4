// Frames written as numbered PNG files; a failed write is an error, never skipped.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "display/surface.hpp"
#include "solver/screen.hpp"

namespace rovanel {

struct FrameWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A show whose device pixels the image library cannot hold.
struct FrameSizeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A surface for a show of the given size, drawn at a scale, that writes every finished frame to
// DIR/frame-000001.png, DIR/frame-000002.png, ..., and lists each one in DIR/frames.txt with the
// milliseconds a saver holds it (hold() of the frame being written). A write that fails removes
// what it had written of the frame and throws FrameWriteError; a size that cannot be drawn throws
// FrameSizeError.
std::unique_ptr<Surface> png_frames(const std::string& dir, ScreenSize size, float scale,
                                    std::function<std::chrono::milliseconds()> hold);

}  // namespace rovanel
