#include "shell/seed.hpp"

#include <chrono>
#include <cstdlib>

#include "shell/numbers.hpp"

namespace rovanel {

GivenSeed environment_seed() {
  const char* text = std::getenv("ROVANEL_SEED");
  if (text == nullptr || *text == '\0') {
    return {"ROVANEL_SEED", std::nullopt};
  }
  return {"ROVANEL_SEED", text};
}

std::uint32_t seed_of(const GivenSeed& given) {
  if (!given.text) {
    return static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
  }
  constexpr std::uint32_t kLast = 0xFFFFFFFFu;
  if (const auto seed = parse_number<std::uint32_t>(*given.text, 0, kLast)) {
    return *seed;
  }
  throw SeedError(range_error<std::uint32_t>(given.source, 0, kLast, *given.text));
}

}  // namespace rovanel
