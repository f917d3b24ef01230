#include "common/substring_search.h"

#include <string.h>

#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace trubkom::common {

namespace {

// Compares in place: needles are a few bytes long, shorter than a call to memcmp is worth.
bool SameBytes(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

SubstringSearch::SubstringSearch(std::string needle) : needle_(std::move(needle)) {}

std::size_t SubstringSearch::Find(std::string_view text, std::size_t from) const {
  const std::size_t n = needle_.size();
  if (from > text.size() || text.size() - from < n) return std::string_view::npos;
  if (n == 0) return from;
  const char* const data = text.data();
  std::size_t at = from;
#ifdef __SSE2__
  if (n >= 2) {
    const __m128i first = _mm_set1_epi8(needle_.front());
    const __m128i last = _mm_set1_epi8(needle_.back());
    for (; at + n - 1 + 16 <= text.size(); at += 16) {
      __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
      __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + n - 1));
      auto mask = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
      for (; mask != 0; mask &= mask - 1) {
        std::size_t candidate = at + static_cast<std::size_t>(std::countr_zero(mask));
        if (SameBytes(data + candidate + 1, needle_.data() + 1, n - 2)) return candidate;
      }
    }
  }
#endif
  const void* hit = memmem(data + at, text.size() - at, needle_.data(), n);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data)
             : std::string_view::npos;
}

}  // namespace trubkom::common
