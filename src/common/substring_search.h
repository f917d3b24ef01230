#pragma once

#include <string.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/short_bytes.h"
#include "common/simd.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

// The occurrences of one short byte string in a long text. The price pass searches twenty
// megabytes for a brand that begins most lines: many positions are screened at a time for the
// needle's first and last bytes, and only those that pass are compared in full.
namespace trubkom::common {

class SubstringSearch {
 public:
  explicit SubstringSearch(std::string needle) : needle_(std::move(needle)) {}

  // The first occurrence at or after from; npos when there is none.
  std::size_t Find(std::string_view text, std::size_t from) const {
    std::size_t found = std::string_view::npos;
    ForEach(text, from, [&found](std::size_t at) {
      found = at;
      return false;
    });
    return found;
  }

  // Calls visit(position) for every occurrence at or after from, in order, overlapping ones
  // included, until visit returns false. One pass over the text, however many occurrences.
  template <typename Visit>
  void ForEach(std::string_view text, std::size_t from, Visit visit) const;

  const std::string& needle() const { return needle_; }

 private:
  std::string needle_;
};

template <typename Visit>
void SubstringSearch::ForEach(std::string_view text, std::size_t from, Visit visit) const {
  const std::size_t n = needle_.size();
  const std::size_t size = text.size();
  if (from > size || size - from < n) return;
  const char* const data = text.data();
  std::size_t at = from;
#if TRUBKOM_USE_SSE2
  if (n >= 2) {
    const __m128i first = _mm_set1_epi8(needle_.front());
    const __m128i last = _mm_set1_epi8(needle_.back());
    // The candidates among the sixteen positions from p, as bits.
    auto screen = [&](std::size_t p) -> std::uint64_t {
      __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
      __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + n - 1));
      return static_cast<unsigned>(_mm_movemask_epi8(
          _mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
    };
    // Sixty-four positions a round: with a brand on most lines, a round of sixteen would have a
    // candidate or not at random, and the processor would mispredict which half the time.
    auto visit_candidates = [&](std::size_t base, std::uint64_t mask) {
      for (; mask != 0; mask &= mask - 1) {
        std::size_t candidate = base + static_cast<std::size_t>(std::countr_zero(mask));
        if (SameBytes(data + candidate + 1, needle_.data() + 1, n - 2) && !visit(candidate)) {
          return false;
        }
      }
      return true;
    };
    for (; at + n - 1 + 64 <= size; at += 64) {
      std::uint64_t mask =
          screen(at) | screen(at + 16) << 16 | screen(at + 32) << 32 | screen(at + 48) << 48;
      if (!visit_candidates(at, mask)) return;
    }
    for (; at + n - 1 + 16 <= size; at += 16) {
      if (!visit_candidates(at, screen(at))) return;
    }
  }
#endif
  for (; at + n <= size; ++at) {
    const void* hit = n == 0 ? data + at : memmem(data + at, size - at, needle_.data(), n);
    if (hit == nullptr) return;
    at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    if (!visit(at)) return;
  }
}

}  // namespace trubkom::common
