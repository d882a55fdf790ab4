// The one uniform random sequence of a run.
#pragma once

#include <cstdint>
#include <random>

namespace rovanel {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // The next single-precision value r, 0 <= r < 1.
  virtual float next() = 0;
};

// 24 random bits per draw, so r is exact and never rounds up to 1 (std::generate_canonical and
// uniform_real_distribution<float> can).
class Mt19937Source final : public RandomSource {
 public:
  explicit Mt19937Source(std::uint32_t seed) : engine_(seed) {}
  float next() override { return unit(static_cast<std::uint32_t>(engine_())); }

  // The top 24 of 32 random bits as r in [0, 1): exact in single precision, at most 1 - 2^-24.
  static float unit(std::uint32_t bits) { return static_cast<float>(bits >> 8) * 0x1p-24f; }

 private:
  std::mt19937 engine_;
};

}  // namespace rovanel
