#include "common/text_set.h"

#include <functional>
#include <stdexcept>

namespace trubkom::common {

namespace {

std::uint64_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

}  // namespace

std::size_t TextSet::SlotOf(std::string_view text, std::uint64_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& entry = slots_[slot];
    if (entry.number_plus_one == 0) return slot;
    if (entry.tag == TagOf(hash) && TextOf(entry.number_plus_one - 1) == text) return slot;
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

std::size_t TextSet::Find(std::string_view text) const {
  if (slots_.empty()) return kAbsent;
  const Slot& entry = slots_[SlotOf(text, HashOf(text))];
  return entry.number_plus_one == 0 ? kAbsent : entry.number_plus_one - 1;
}

}  // namespace trubkom::common
