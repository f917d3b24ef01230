#include "common/text_set.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "common/short_bytes.h"

namespace trubkom::common {

namespace {

// Most texts are names a few bytes long: up to sixteen bytes are read as two words (the first and
// last eight bytes, or four, or the first, middle and last byte), which with the length are the
// whole text and cost no loop over its bytes. Longer texts are hashed whole.
std::uint64_t HashOf(std::string_view text) {
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

std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

}  // namespace

std::size_t TextSet::SlotOf(std::string_view text, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& entry = slots_[slot];
    if (entry.number_plus_one == 0) return slot;
    if (entry.tag != TagOf(hash)) continue;
    std::string_view candidate = TextOf(entry.number_plus_one - 1);
    if (candidate.size() == text.size() && SameBytes(candidate.data(), text.data(), text.size())) {
      return slot;
    }
  }
}

void TextSet::Grow() {
  slots_.assign(slots_.empty() ? 16 : 2 * slots_.size(), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t number = 0; number < spans_.size(); ++number) {
    std::uint64_t hash = HashOf(TextOf(number));
    std::size_t slot = hash & mask;
    while (slots_[slot].number_plus_one != 0) slot = (slot + 1) & mask;
    slots_[slot] = {static_cast<std::uint32_t>(number + 1), TagOf(hash)};
  }
}

std::size_t TextSet::Add(std::string_view text) {
  if (2 * (spans_.size() + 1) > slots_.size()) Grow();
  std::uint64_t hash = HashOf(text);
  std::size_t slot = SlotOf(text, hash);
  if (slots_[slot].number_plus_one != 0) return slots_[slot].number_plus_one - 1;
  if (bytes_.size() + text.size() > UINT32_MAX || spans_.size() >= UINT32_MAX - 1) {
    throw std::length_error("text set too large");
  }
  slots_[slot] = {static_cast<std::uint32_t>(spans_.size() + 1), TagOf(hash)};
  spans_.push_back(
      {static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(text.size())});
  bytes_ += text;
  return spans_.size() - 1;
}

void TextSet::Prefetch(const std::string_view* texts, std::size_t count) const {
  if (slots_.empty()) return;
  const std::size_t mask = slots_.size() - 1;
  constexpr std::size_t kMost = 64;
  std::size_t slots[kMost];
  count = std::min(count, kMost);
  for (std::size_t i = 0; i < count; ++i) {
    slots[i] = HashOf(texts[i]) & mask;
    __builtin_prefetch(&slots_[slots[i]]);
  }
  // The slots' numbers point at the spans, and the spans at the texts: each step waits on the
  // step before, but for all the texts at once.
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t number_plus_one = slots_[slots[i]].number_plus_one;
    slots[i] = number_plus_one;
    if (number_plus_one != 0) __builtin_prefetch(&spans_[number_plus_one - 1]);
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (slots[i] != 0) __builtin_prefetch(bytes_.data() + spans_[slots[i] - 1].start);
  }
}

std::size_t TextSet::Find(std::string_view text) const {
  if (slots_.empty()) return kAbsent;
  const Slot& entry = slots_[SlotOf(text, HashOf(text))];
  return entry.number_plus_one == 0 ? kAbsent : entry.number_plus_one - 1;
}

}  // namespace trubkom::common
