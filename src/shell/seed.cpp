#include "shell/seed.hpp"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <string>
#include <string_view>

namespace rovanel {

std::uint32_t saver_seed() {
  const char* text = std::getenv("ROVANEL_SEED");
  if (text == nullptr || *text == '\0') {
    return static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
  }
  const std::string_view value(text);
  std::uint32_t seed = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
  if (ec != std::errc() || end != value.data() + value.size()) {
    throw SeedError("ROVANEL_SEED: expected a whole number from 0 to 4294967295, got '" +
                    std::string(value) + "'");
  }
  return seed;
}

}  // namespace rovanel
