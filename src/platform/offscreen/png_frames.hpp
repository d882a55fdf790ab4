// Frames written as numbered PNG files; a failed write is an error, never skipped.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "display/surface.hpp"
#include "solver/solver.hpp"

namespace rovanel {

struct FrameWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A surface for a show of the given size, drawn at a scale, that writes every finished frame to
// DIR/frame-000001.png, DIR/frame-000002.png, ...; a write that fails throws FrameWriteError.
std::unique_ptr<Surface> png_frames(const std::string& dir, ScreenSize size, float scale);

}  // namespace rovanel
