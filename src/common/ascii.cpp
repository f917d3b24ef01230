#include "common/ascii.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/simd.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

namespace trubkom::common {

std::string AsciiLowered(std::string_view text) {
  std::string result(text);
  AsciiLowerInPlace(result);
  return result;
}

// Price files of tens of megabytes are lowered whole, sixteen bytes at a time: a byte gets 0x20
// added when it is at least 'A' and at most 'Z' compared as a signed byte, so that the bytes from
// 0x80 up, the Cyrillic letters among them, stay as they are.
void AsciiLowerInPlace(std::string& text) {
  char* bytes = text.data();
  std::size_t i = 0;
#if TRUBKOM_USE_SSE2
  const __m128i before_a = _mm_set1_epi8('A' - 1);
  const __m128i after_z = _mm_set1_epi8('Z' + 1);
  const __m128i case_bit = _mm_set1_epi8(0x20);
  for (; i + 16 <= text.size(); i += 16) {
    __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(chunk, before_a), _mm_cmplt_epi8(chunk, after_z));
    chunk = _mm_or_si128(chunk, _mm_and_si128(upper, case_bit));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), chunk);
  }
#endif
  for (; i < text.size(); ++i) bytes[i] = AsciiLower(bytes[i]);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool ByteLess(std::string_view a, std::string_view b) {
  // char_traits<char> compares as unsigned char.
  return a < b;
}

bool FoldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
  });
}

void SortByBytes(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return ByteLess(a, b); });
}

void SortFolded(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return FoldedLess(a, b); });
}

}  // namespace trubkom::common
