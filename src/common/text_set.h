#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/short_bytes.h"

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
  // The text's number; kAbsent when it was never added. Inline, as the price pass calls it for
  // every offer of the brand.
  std::size_t Find(std::string_view text) const {
    if (slots_.empty()) return kAbsent;
    const Slot& entry = slots_[SlotOf(text, HashOf(text))];
    return entry.number_plus_one == 0 ? kAbsent : entry.number_plus_one - 1;
  }
  bool Contains(std::string_view text) const { return Find(text) != kAbsent; }
  // The hash the set files a text under, for tables of texts kept elsewhere.
  static std::uint64_t Hash(std::string_view text) { return HashOf(text); }
  std::size_t size() const { return spans_.size(); }
  // The text numbered number (below size()).
  std::string_view TextOf(std::size_t number) const {
    return std::string_view(bytes_).substr(spans_[number].start, spans_[number].size);
  }

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

  // Most texts are names a few bytes long: up to sixteen bytes are read as two words (the first
  // and last eight bytes, or four, or the first, middle and last byte), which with the length
  // are the whole text and cost no loop over its bytes. Longer texts are hashed whole.
  static std::uint64_t HashOf(std::string_view text) {
    const char* p = text.data();
    std::size_t n = text.size();
    if (n > 16) return std::hash<std::string_view>{}(text);
    std::uint64_t head = 0, tail = 0;
    if (n >= 8) {
      head = LoadEightBytes(p);
      tail = LoadEightBytes(p + n - 8);
    } else if (n >= 4) {
      head = LoadFourBytes(p);
      tail = LoadFourBytes(p + n - 4);
    } else if (n > 0) {
      head = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
             static_cast<unsigned char>(p[n - 1]) << 16;
    }
    std::uint64_t hash = (head * 0x9E3779B97F4A7C15ull) ^ (tail * 0xC2B2AE3D27D4EB4Full) ^ n;
    hash = (hash ^ (hash >> 32)) * 0xD6E8FEB86659FD93ull;
    return hash ^ (hash >> 29);
  }
  static std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

  // The slot holding the text, or the empty slot where it would go.
  std::size_t SlotOf(std::string_view text, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const Slot& entry = slots_[slot];
      if (entry.number_plus_one == 0) return slot;
      if (entry.tag != TagOf(hash)) continue;
      std::string_view candidate = TextOf(entry.number_plus_one - 1);
      if (candidate.size() == text.size() &&
          SameBytes(candidate.data(), text.data(), text.size())) {
        return slot;
      }
    }
  }
  void Grow();

  std::string bytes_;
  std::vector<Span> spans_;
  std::vector<Slot> slots_;  // a power of two of them, at most half full
};

}  // namespace trubkom::common
