// The seed of a saver's run.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace rovanel {

struct SeedError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ROVANEL_SEED from the environment replays a run, as rovanel-headless --seed does; without it
// (or with it empty) the clock seeds the run. A value that is not a 32-bit whole number throws
// SeedError.
std::uint32_t saver_seed();

}  // namespace rovanel
