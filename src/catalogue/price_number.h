#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

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

}  // namespace trubkom::catalogue
