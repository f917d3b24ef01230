#include "common/table_cap.h"

#include <atomic>

namespace trubkom::common {

namespace {

std::atomic<std::uint64_t> lowered_cap{0};

}  // namespace

std::uint64_t TableCap() {
  const std::uint64_t lowered = lowered_cap.load(std::memory_order_relaxed);
  return lowered != 0 ? lowered : UINT32_MAX;
}

void SetTableCapForTesting(std::uint64_t cap) { lowered_cap.store(cap); }

}  // namespace trubkom::common
