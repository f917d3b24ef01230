#pragma once

#include <random>

#include "common/ports.h"

namespace trubkom::common {

// Random numbers seeded from the clock, for the program's own random choices.
class ClockRandom : public Random {
 public:
  ClockRandom();
  std::uint32_t Below(std::uint32_t bound) override;

 private:
  std::mt19937 engine_;
};

}  // namespace trubkom::common
