#include "common/clock_random.h"

#include <chrono>

namespace trubkom::common {

ClockRandom::ClockRandom()
    : engine_(static_cast<std::mt19937::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count())) {}

std::uint32_t ClockRandom::Below(std::uint32_t bound) {
  return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(engine_);
}

}  // namespace trubkom::common
