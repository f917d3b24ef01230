#include "common/text_set.h"

#include <functional>

namespace trubkom::common {

namespace {

std::uint64_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

}  // namespace

std::size_t TextSet::SlotOf(std::string_view text, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = hash & mask;
  while (slots_[slot].number != kAbsent &&
         (slots_[slot].hash != hash || TextOf(slots_[slot].number) != text)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

void TextSet::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 16 : 2 * old.size(), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& entry : old) {
    if (entry.number == kAbsent) continue;
    std::size_t slot = entry.hash & mask;
    while (slots_[slot].number != kAbsent) slot = (slot + 1) & mask;
    slots_[slot] = entry;
  }
}

std::size_t TextSet::Add(std::string_view text) {
  if (2 * (spans_.size() + 1) > slots_.size()) Grow();
  std::uint64_t hash = HashOf(text);
  std::size_t slot = SlotOf(text, hash);
  if (slots_[slot].number != kAbsent) return slots_[slot].number;
  slots_[slot] = {hash, spans_.size()};
  spans_.push_back({bytes_.size(), text.size()});
  bytes_ += text;
  return spans_.size() - 1;
}

std::size_t TextSet::Find(std::string_view text) const {
  if (slots_.empty()) return kAbsent;
  return slots_[SlotOf(text, HashOf(text))].number;
}

}  // namespace trubkom::common
