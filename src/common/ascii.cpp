#include "common/ascii.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

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

namespace {

// The bytes the texts all begin with.
std::size_t CommonStart(const std::vector<std::string>& list) {
  if (list.empty()) return 0;
  std::size_t common = list.front().size();
  for (const std::string& text : list) {
    common = std::min(common, text.size());
    common = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(common),
                      list.front().begin())
            .first -
        text.begin());
  }
  return common;
}

// Eight bytes of text from at, the first the highest, zeros past its end: keys of two texts
// compare as the texts' bytes there do, and equal keys leave the rest to compare.
std::uint64_t KeyAt(std::string_view text, std::size_t at) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    key = key << 8 | (at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0);
  }
  return key;
}

}  // namespace

void SortByBytes(std::vector<std::string>& list) {
  // Strings equal in byte order are equal, so no sort need be stable. Each is sorted by the
  // eight bytes after what all of them begin with ("Model "), its view kept for a tie, and moved
  // once after: a list of hundreds of thousands of names costs a comparison of two numbers at
  // most steps, and no string swapped at any.
  struct Entry {
    std::uint64_t key;
    std::string_view text;
    std::size_t place;
  };
  const std::size_t common = CommonStart(list);
  std::vector<Entry> order;
  order.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i)
    order.push_back({KeyAt(list[i], common), list[i], i});
  std::sort(order.begin(), order.end(), [common](const Entry& a, const Entry& b) {
    if (a.key != b.key) return a.key < b.key;
    return a.text.substr(common) < b.text.substr(common);
  });
  std::vector<std::string> sorted;
  sorted.reserve(list.size());
  for (const Entry& entry : order) sorted.push_back(std::move(list[entry.place]));
  list = std::move(sorted);
}

void SortFolded(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return FoldedLess(a, b); });
}

}  // namespace trubkom::common
