#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Distinct byte strings, each numbered in the order it was first added, in flat arrays: the
// texts in one buffer and open addressing over their hashes. The price pass looks up hundreds of
// thousands of names cut out of a file, the models list and the brand box tens of thousands; a
// table of separately allocated nodes costs a cache miss or more per look-up once it outgrows
// the processor's cache.
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

  // Asks the processor to fetch what looking up each of the texts will read: its slot, then the
  // text there. A table larger than the cache costs a wait on memory a look-up; looked up one
  // after another the waits add up, asked for together they overlap.
  void Prefetch(const std::string_view* texts, std::size_t count) const;

 private:
  struct Span {
    std::uint32_t start, size;
  };
  // Eight bytes a slot, so that twice as many fit in the cache: the text's number + 1 (0 for
  // an empty slot) and the high half of its hash, which settles most comparisons.
  struct Slot {
    std::uint32_t number_plus_one = 0;
    std::uint32_t tag = 0;
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
