#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The numbers of distinct byte strings, looked up by a view of other bytes without copying them:
// the price pass looks up hundreds of thousands of names cut out of a file.
namespace trubkom::common {

class ViewIndex {
 public:
  static constexpr std::size_t kAbsent = SIZE_MAX;

  // keys must outlive the index and hold no repeats; key i has number i.
  explicit ViewIndex(const std::vector<std::string_view>& keys);
  std::size_t Find(std::string_view text) const;

 private:
  static std::uint64_t Hash(std::string_view text);

  std::vector<std::string_view> keys_;
  std::vector<std::uint32_t> slots_;  // key number + 1, or 0 for an empty slot
  std::uint64_t mask_ = 0;
};

}  // namespace trubkom::common
