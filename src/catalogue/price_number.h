#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/line_file.h"
#include "common/short_bytes.h"
#include "common/simd.h"
#include "common/string_ops.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

// Reading the price of a price line.
namespace trubkom::catalogue {

// common::TextToInt of the text from at. The usual price, one to seven digits and then no
// digit, is read from one eight-byte word, not digit by digit with a loop whose end the
// processor cannot foresee.
inline long long PriceAt(std::string_view text, std::size_t at) {
#if TRUBKOM_USE_SSE2
  if (at + 8 <= text.size()) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(text.data() + at));
    const std::uint32_t digits = common::DigitBytes(bytes);
    const auto count = static_cast<unsigned>(std::countr_zero(~digits));  // leading digits
    if (count - 1 < 7) return common::ReadEightDigits(text.data() + at, 8 * (8 - count));
  }
#endif
  return common::TextToInt(text.substr(at));
}

// The price of a line: the number after its first "^", or of the whole line when it has none.
inline long long LinePrice(std::string_view line) {
  std::size_t caret = line.find('^');
  return common::TextToInt(caret == std::string_view::npos ? line : line.substr(caret + 1));
}

// The price of the line that starts at start in a text of many lines: the number after the
// line's first "^", or of the whole line when it has none. No "^" stands between start and
// search_from. Reading a number stops at the line's end, which is no digit.
inline long long PriceFrom(std::string_view text, std::size_t start, std::size_t search_from) {
  std::size_t at = search_from;
  while (at < text.size() && text[at] != '^' && !common::IsCrOrLf(text[at])) ++at;
  return PriceAt(text, at < text.size() && text[at] == '^' ? at + 1 : start);
}

// Where the field that starts at from ends: at its first "^", CR or LF, or at limit if that comes
// first. Sixteen bytes are looked at together where the text holds them, so that names of many
// lengths cost no mispredicted end of a loop.
inline std::size_t FieldEnd(std::string_view text, std::size_t from, std::size_t limit) {
#if TRUBKOM_USE_SSE2
  for (; from < limit && from + 16 <= text.size(); from += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('^')),
                                _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                             _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
    if (mask != 0) return std::min(limit, from + static_cast<std::size_t>(std::countr_zero(mask)));
  }
#endif
  while (from < limit && text[from] != '^' && !common::IsCrOrLf(text[from])) ++from;
  return std::min(from, limit);
}

}  // namespace trubkom::catalogue
