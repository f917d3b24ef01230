#include "common/ascii.h"

#include <algorithm>
#include <array>
#include <bit>
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
std::size_t CommonStart(const std::vector<std::string_view>& texts) {
  if (texts.empty()) return 0;
  std::size_t common = texts.front().size();
  for (std::string_view text : texts) {
    common = std::min(common, text.size());
    common = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(common),
                      texts.front().begin())
            .first -
        text.begin());
  }
  return common;
}

// Eight bytes of text + suffix from at, the first the highest, zeros past its end: keys of two
// texts compare as the texts' bytes there do, and equal keys leave the rest to compare.
std::uint64_t KeyAt(std::string_view text, std::string_view suffix, std::size_t at) {
  if (at + 8 <= text.size()) {  // the usual name: its eight bytes read as one word
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
  }
  std::uint64_t key = 0;
  for (std::size_t i = at; i < at + 8; ++i) {
    const char byte = i < text.size()                   ? text[i]
                      : i - text.size() < suffix.size() ? suffix[i - text.size()]
                                                        : '\0';
    key = key << 8 | static_cast<unsigned char>(byte);
  }
  return key;
}

// Whether a + suffix comes before b + suffix in byte order.
bool LessWithSuffix(std::string_view a, std::string_view b, std::string_view suffix) {
  const std::size_t common = std::min(a.size(), b.size());
  if (const int order = a.substr(0, common).compare(b.substr(0, common)); order != 0) {
    return order < 0;
  }
  if (a.size() == b.size() || suffix.empty()) return a.size() < b.size();
  // One begins the other, which the suffix may follow either way: seldom, and compared whole.
  return std::string(a).append(suffix) < std::string(b).append(suffix);
}

// The places of the texts in byte order, each as if suffix followed it. Texts equal in byte order
// are equal, so no sort need be stable. Each is sorted by the eight bytes after what all of them
// begin with ("Model "), its view kept for a tie: a list of hundreds of thousands of names costs
// a comparison of two numbers at most steps.
struct Keyed {  // sixteen bytes, so that a step of the sort moves little
  std::uint64_t key;
  std::size_t place;
};

// Sorts by the keys, a byte at a time from the last (a stable counting sort each), skipping a
// byte that all keys share: the keys of a long list of names cost a few passes over the list
// where comparing them costs a score of steps each.
void SortByKeys(std::vector<Keyed>& entries) {
  std::vector<Keyed> sorted(entries.size());
  for (unsigned shift = 0; shift < 64; shift += 8) {
    std::array<std::size_t, 257> starts{};
    for (const Keyed& entry : entries) ++starts[((entry.key >> shift) & 0xFF) + 1];
    if (std::find(starts.begin(), starts.end(), entries.size()) != starts.end()) continue;
    for (std::size_t byte = 1; byte < starts.size(); ++byte) starts[byte] += starts[byte - 1];
    for (const Keyed& entry : entries) sorted[starts[(entry.key >> shift) & 0xFF]++] = entry;
    entries.swap(sorted);
  }
}

// The places of the texts in byte order, each as if suffix followed it. Texts equal in byte order
// are equal, so no sort need be stable. Each is sorted by the eight bytes after what all of them
// begin with ("Model "), and only texts whose eight bytes tie are compared whole.
std::vector<std::size_t> ByteOrder(const std::vector<std::string_view>& texts,
                                   std::string_view suffix) {
  const std::size_t common = CommonStart(texts);
  std::vector<Keyed> entries;
  entries.reserve(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    entries.push_back({KeyAt(texts[i], suffix, common), i});
  }
  SortByKeys(entries);
  for (auto tie = entries.begin(); tie != entries.end();) {
    auto end = std::find_if(tie, entries.end(), [&](const Keyed& e) { return e.key != tie->key; });
    std::sort(tie, end, [&](const Keyed& a, const Keyed& b) {
      return LessWithSuffix(texts[a.place].substr(common), texts[b.place].substr(common), suffix);
    });
    tie = end;
  }
  std::vector<std::size_t> order;
  order.reserve(entries.size());
  for (const Keyed& entry : entries) order.push_back(entry.place);
  return order;
}

}  // namespace

void SortByBytes(std::vector<std::string>& list) {
  const std::vector<std::size_t> order =
      ByteOrder(std::vector<std::string_view>(list.begin(), list.end()), {});
  std::vector<std::string> sorted;  // each string moved once, none swapped at every step
  sorted.reserve(list.size());
  for (std::size_t place : order) sorted.push_back(std::move(list[place]));
  list = std::move(sorted);
}

void SortByBytes(std::vector<std::string_view>& texts, std::string_view suffix) {
  const std::vector<std::size_t> order = ByteOrder(texts, suffix);
  std::vector<std::string_view> sorted;
  sorted.reserve(texts.size());
  for (std::size_t place : order) sorted.push_back(texts[place]);
  texts = std::move(sorted);
}

void SortFolded(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return FoldedLess(a, b); });
}

}  // namespace trubkom::common
