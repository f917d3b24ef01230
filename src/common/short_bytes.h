#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/simd.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

// Short byte strings read and compared a word at a time, and short numbers read so. The price
// pass compares hundreds of thousands of names a few bytes long: a loop over their bytes, or a
// call to memcmp, costs more than the comparison, and its end is hard for the processor to
// predict.
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

#if TRUBKOM_USE_SSE2
// Which of sixteen bytes are the ASCII digits, as bits.
inline std::uint32_t DigitBytes(__m128i bytes) {
  return static_cast<std::uint32_t>(
      _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)),
                                      _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)))));
}
#endif

// The digit readers below load the digits as a word whose lowest byte is the first digit, as it
// is on a little-endian processor; a big-endian one would need them to swap the bytes first.
static_assert(std::endian::native == std::endian::little,
              "ReadFourDigits and ReadEightDigits read words as little-endian");

// The number written by the digits at text, one to four of them, given as the shift 8 * (4 -
// count); the four bytes from text must be readable.
inline std::uint32_t ReadFourDigits(const char* text, unsigned shift) {
  // The digits go to the high bytes, the first the most significant, with zeros below them; a
  // byte after the digits that is below "0" borrows only from bytes that the shift drops. Then
  // each byte takes ten times itself plus the next, so that the pairs of digits stand in bytes 0
  // and 2, and one product weighs them by 100 and 1 into bits 16 to 31.
  std::uint32_t word = (LoadFourBytes(text) - 0x30303030u) << shift;
  word = word * 10 + (word >> 8);
  return ((word & 0x00FF00FFu) * (100u << 16 | 1)) >> 16;
}

// The same for one to eight digits, from eight readable bytes, given as the shift 8 * (8 -
// count).
inline std::uint32_t ReadEightDigits(const char* text, unsigned shift) {
  std::uint64_t word = (LoadEightBytes(text) - 0x3030303030303030u) << shift;
  word = word * 10 + (word >> 8);
  // The pairs in bytes 0, 2, 4 and 6 are weighed by 10^6, 10^4, 10^2 and 1 in two products.
  word = (((word & 0x000000FF000000FFu) * (100 + (1000000ull << 32))) +
          (((word >> 16) & 0x000000FF000000FFu) * (1 + (10000ull << 32)))) >>
         32;
  return static_cast<std::uint32_t>(word);
}

}  // namespace trubkom::common
