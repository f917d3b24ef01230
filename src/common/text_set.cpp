#include "common/text_set.h"

#include <algorithm>
#include <stdexcept>

#include "common/table_cap.h"

namespace trubkom::common {

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
  CheckTableSize(bytes_.size() + text.size(), "переполнен набор текстов");
  CheckTableSize(spans_.size() + 1, "переполнен набор текстов");
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

}  // namespace trubkom::common
