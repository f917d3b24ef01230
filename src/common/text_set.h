#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Distinct byte strings, each numbered in the order it was first added, in flat arrays: the
// texts in one buffer and open addressing over their hashes. The models list and the brand box
// look up tens of thousands of names a pass; a table of separately allocated nodes costs a
// cache miss or more per look-up once it outgrows the processor's cache.
namespace trubkom::common {

class TextSet {
 public:
  static constexpr std::size_t kAbsent = SIZE_MAX;

  // The text's number, adding it when it is new.
  std::size_t Add(std::string_view text);
  // The text's number; kAbsent when it was never added.
  std::size_t Find(std::string_view text) const;
  bool Contains(std::string_view text) const { return Find(text) != kAbsent; }
  std::size_t size() const { return spans_.size(); }

 private:
  struct Span {
    std::size_t start, size;
  };
  struct Slot {
    std::uint64_t hash = 0;
    std::size_t number = kAbsent;  // kAbsent for an empty slot
  };

  std::string_view TextOf(std::size_t number) const {
    return std::string_view(bytes_).substr(spans_[number].start, spans_[number].size);
  }
  // The slot holding the text, or the empty slot where it would go.
  std::size_t SlotOf(std::string_view text, std::uint64_t hash) const;
  void Grow();

  std::string bytes_;
  std::vector<Span> spans_;
  std::vector<Slot> slots_;  // a power of two of them, at most half full
};

}  // namespace trubkom::common
