// The seed of a run: a whole number from 0 to 4294967295, given as text or taken from the clock.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rovanel {

struct SeedError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A seed as it was given, and where (named in messages: "ROVANEL_SEED", "--seed", "?seed"); no
// text: the clock seeds the run.
struct GivenSeed {
  std::string_view source;
  std::optional<std::string> text;
};

// ROVANEL_SEED from the environment: it replays a run, as rovanel-headless --seed does. Unset or
// empty, as the environment's convention has it, it gives no text.
GivenSeed environment_seed();

// The seed a given text spells, or the clock's without one. A text that is not a seed (empty,
// signed, blank, fractional, too large) throws SeedError naming the source and quoting the text.
std::uint32_t seed_of(const GivenSeed& given);

}  // namespace rovanel
