#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Short byte strings read and compared a word at a time. The price pass compares hundreds of
// thousands of names a few bytes long: a loop over their bytes, or a call to memcmp, costs more
// than the comparison, and its end is hard for the processor to predict.
namespace trubkom::common {

inline std::uint64_t LoadEightBytes(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, 8);
  return word;
}

inline std::uint32_t LoadFourBytes(const char* at) {
  std::uint32_t word;
  std::memcpy(&word, at, 4);
  return word;
}

// Whether the n bytes at a and at b are the same. Up to sixteen bytes take two overlapping
// loads from each side; longer ones go on with memcmp.
inline bool SameBytes(const char* a, const char* b, std::size_t n) {
  if (n >= 8) {
    if (LoadEightBytes(a) != LoadEightBytes(b)) return false;
    if (LoadEightBytes(a + n - 8) != LoadEightBytes(b + n - 8)) return false;
    return n <= 16 || std::memcmp(a + 8, b + 8, n - 16) == 0;
  }
  if (n >= 4) {
    return ((LoadFourBytes(a) ^ LoadFourBytes(b)) |
            (LoadFourBytes(a + n - 4) ^ LoadFourBytes(b + n - 4))) == 0;
  }
  // One to three bytes: the first, middle and last cover them all.
  return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
}

}  // namespace trubkom::common
