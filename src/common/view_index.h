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
  // Up to sixteen bytes of a text in two words: its first and last eight bytes, or four, or its
  // first, middle and last byte (overlapping when the text is shorter): hashed without a loop.
  struct Words {
    std::uint64_t head = 0, tail = 0;
    std::uint64_t size = 0;
  };
  // Eight bytes a slot, so that tens of thousands of keys still fit in the cache: the key's
  // number + 1 (0 for an empty slot) and the high half of its hash.
  struct Slot {
    std::uint32_t key_plus_one = 0;
    std::uint32_t tag = 0;
  };

  static Words WordsOf(std::string_view text);
  static std::uint64_t Hash(const Words& words);

  std::vector<std::string_view> keys_;
  std::vector<Slot> slots_;
  std::uint64_t mask_ = 0;
};

}  // namespace trubkom::common
