#include "common/view_index.h"

#include <cstring>

#include "common/short_bytes.h"

namespace trubkom::common {

ViewIndex::Words ViewIndex::WordsOf(std::string_view text) {
  const char* p = text.data();
  std::size_t n = text.size();
  Words words;
  words.size = n;
  if (n >= 8) {
    words.head = LoadEightBytes(p);
    words.tail = LoadEightBytes(p + n - 8);
  } else if (n >= 4) {
    words.head = LoadFourBytes(p);
    words.tail = LoadFourBytes(p + n - 4);
  } else if (n > 0) {
    words.head = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
                 static_cast<unsigned char>(p[n - 1]) << 16;
  }
  return words;
}

std::uint64_t ViewIndex::Hash(const Words& words) {
  std::uint64_t hash =
      (words.head * 0x9E3779B97F4A7C15ull) ^ (words.tail * 0xC2B2AE3D27D4EB4Full) ^ words.size;
  hash = (hash ^ (hash >> 32)) * 0xD6E8FEB86659FD93ull;
  return hash ^ (hash >> 29);
}

// Open addressing with linear probing, at most half full.
ViewIndex::ViewIndex(const std::vector<std::string_view>& keys) : keys_(keys) {
  std::size_t size = 16;
  while (size < keys.size() * 2) size *= 2;
  slots_.assign(size, Slot{});
  mask_ = size - 1;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    std::uint64_t hash = Hash(WordsOf(keys[i]));
    std::uint64_t slot = hash & mask_;
    while (slots_[slot].key_plus_one != 0) slot = (slot + 1) & mask_;
    slots_[slot] = {static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(hash >> 32)};
  }
}

std::size_t ViewIndex::Find(std::string_view text) const {
  std::uint64_t hash = Hash(WordsOf(text));
  auto tag = static_cast<std::uint32_t>(hash >> 32);
  for (std::uint64_t slot = hash & mask_; slots_[slot].key_plus_one != 0;
       slot = (slot + 1) & mask_) {
    if (slots_[slot].tag != tag) continue;
    std::size_t key = slots_[slot].key_plus_one - 1;
    const std::string_view& candidate = keys_[key];
    if (candidate.size() == text.size() && SameBytes(candidate.data(), text.data(), text.size())) {
      return key;
    }
  }
  return kAbsent;
}

}  // namespace trubkom::common
