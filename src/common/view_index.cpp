#include "common/view_index.h"

#include <cstring>

namespace trubkom::common {

namespace {

// The first eight bytes (or all of fewer), as a number.
std::uint64_t Head(std::string_view text) {
  std::uint64_t word = 0;
  if (text.size() >= 8) {
    std::memcpy(&word, text.data(), 8);
    return word;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  }
  return word;
}

// The last eight bytes, as a number; zero for a text of fewer.
std::uint64_t Tail(std::string_view text) {
  std::uint64_t word = 0;
  if (text.size() >= 8) std::memcpy(&word, text.data() + text.size() - 8, 8);
  return word;
}

}  // namespace

// Keys are model names a few bytes long: their first and last eight bytes and their length
// tell them apart well, and cost two loads instead of a loop over every byte.
std::uint64_t ViewIndex::Hash(std::string_view text) {
  std::uint64_t hash =
      (Head(text) ^ (Tail(text) * 0x9E3779B97F4A7C15ull) ^ text.size()) * 0xD6E8FEB86659FD93ull;
  return hash ^ (hash >> 32);
}

// Open addressing with linear probing, at most half full.
ViewIndex::ViewIndex(const std::vector<std::string_view>& keys) : keys_(keys) {
  std::size_t size = 16;
  while (size < keys.size() * 2) size *= 2;
  slots_.assign(size, 0);
  mask_ = size - 1;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    std::uint64_t slot = Hash(keys[i]) & mask_;
    while (slots_[slot] != 0) slot = (slot + 1) & mask_;
    slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

std::size_t ViewIndex::Find(std::string_view text) const {
  for (std::uint64_t slot = Hash(text) & mask_; slots_[slot] != 0; slot = (slot + 1) & mask_) {
    std::size_t key = slots_[slot] - 1;
    const std::string_view& candidate = keys_[key];
    if (candidate.size() != text.size() || Head(candidate) != Head(text) ||
        Tail(candidate) != Tail(text)) {
      continue;
    }
    // Up to sixteen bytes are compared by now.
    if (text.size() <= 16 ||
        std::memcmp(candidate.data() + 8, text.data() + 8, text.size() - 16) == 0) {
      return key;
    }
  }
  return kAbsent;
}

}  // namespace trubkom::common
