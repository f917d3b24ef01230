#include "support/fake_ports.h"

namespace trubkom::testing {

std::uint32_t ScriptedRandom::Below(std::uint32_t bound) {
  if (numbers_.empty()) return 0;
  std::uint32_t number = numbers_.front();
  numbers_.pop_front();
  return number % bound;
}

}  // namespace trubkom::testing
