#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/line_table.h"
#include "common/short_bytes.h"
#include "common/simd.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

// Reading the entries "|P(V)" of the model index's lines, which is most of the time a large
// index takes to load.
namespace trubkom::selection::index_entries {

// ---- The usual entry, read without a branch on its lengths ---------------------------------
//
// Nearly every entry of an index is "|" one to three digits "(" one to eight digits ")", the
// numbers without leading zeros. Read byte by byte, the lengths of its numbers, which vary from
// entry to entry, cost the processor a mispredicted branch or two per entry; here one 16-byte
// load gives the places of "(" and ")" and which bytes are digits, and the numbers are read from
// those places a word at a time.

struct UsualEntry {
  int property;
  std::uint32_t value;
};

#if TRUBKOM_USE_SSE2
inline std::uint32_t BytesEqual(__m128i bytes, char c) {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

// What the usual entry with its "(" at byte open and its first ")" at byte close (16 for none)
// asks of its bytes, and how its numbers are read:
//   bits 0 to 15   the bytes that must be digits: all between the "|" and the ")" but the "(";
//                  an entry of any other shape asks byte 0, the "|", to be one;
//   bits 16 to 31  the bytes that must not be "0": the first digit of a number of two or more;
//   bits 32 to 39  the shift that reads the property, bits 40 to 47 the value's, and bit 48 set
//                  when the value has more than four digits.
constexpr std::array<std::uint64_t, 17 * 17> UsualShapes() {
  std::array<std::uint64_t, 17 * 17> shapes{};
  for (unsigned open = 0; open <= 16; ++open) {
    for (unsigned close = 0; close <= 16; ++close) {
      const unsigned property_length = open - 1, value_length = close - open - 1;
      const bool usual = open >= 2 && property_length <= 3 && close > open + 1 && value_length <= 8;
      if (!usual) {
        shapes[open * 17 + close] = 1;
        continue;
      }
      const std::uint64_t digits = ((1u << close) - 2) & ~(1u << open);
      const std::uint64_t first_digits =
          (property_length > 1 ? 1u << 1 : 0) | (value_length > 1 ? 1u << (open + 1) : 0);
      const bool long_value = value_length > 4;
      const std::uint64_t value_shift = 8 * ((long_value ? 8 : 4) - value_length);
      shapes[open * 17 + close] = digits | first_digits << 16 |
                                  std::uint64_t{8 * (4 - property_length)} << 32 |
                                  value_shift << 40 | std::uint64_t{long_value} << 48;
    }
  }
  return shapes;
}
inline constexpr std::array<std::uint64_t, 17 * 17> kUsualShapes = UsualShapes();

// Reads the usual entry at bar; false for any other shape. The 16 bytes from bar must be
// readable. The entry cannot run past the line's end, since a CR follows it (or nothing, and
// then the bytes are not loaded: see common::LineTable). Called once an entry, it must not cost
// a call.
[[gnu::always_inline]] inline bool ReadUsualEntry(const char* bar, UsualEntry& entry) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bar));
  const std::uint32_t digits = common::DigitBytes(bytes);
  // Bit 16 stands for no "(" or ")" in the 16 bytes, which makes the entry too long.
  const auto open = static_cast<unsigned>(std::countr_zero(BytesEqual(bytes, '(') | 1u << 16));
  const auto close = static_cast<unsigned>(std::countr_zero(BytesEqual(bytes, ')') | 1u << 16));
  const std::uint64_t shape = kUsualShapes[open * 17 + close];
  const auto must_be_digits = static_cast<std::uint32_t>(shape & 0xFFFF);
  const auto must_not_be_zero = static_cast<std::uint32_t>(shape >> 16 & 0xFFFF);
  const bool usual = ((digits & must_be_digits) == must_be_digits) &
                     ((BytesEqual(bytes, '0') & must_not_be_zero) == 0);
  if (!usual) return false;
  entry.property = static_cast<int>(common::ReadFourDigits(bar + 1, shape >> 32 & 0xFF));
  const auto value_shift = static_cast<unsigned>(shape >> 40 & 0xFF);
  entry.value = shape >> 48 ? common::ReadEightDigits(bar + open + 1, value_shift)
                            : common::ReadFourDigits(bar + open + 1, value_shift);
  return true;
}
#else
inline bool ReadUsualEntry(const char*, UsualEntry&) { return false; }
#endif

// Bytes the usual reader may load from an entry's "|" on.
constexpr std::size_t kUsualLoad = 16;

// One entry "|P(V)" as read: P's digits and, when they are a plain number of at most three
// digits, that number (else -1); V's text (none without a ")" after it) and, when it
// is a plain decimal below 2^31, that number (else -1).
struct Entry {
  std::string_view digits;
  int small_property;
  std::optional<std::string_view> value;
  long long small_value;
};

// Reads what stands at a "|" of a line (which ends at end) byte by byte: whether it is an
// entry, and which.
bool ReadAnyEntry(const char* bar, const char* end, Entry& entry);

// The number of a property's digits when they are a plain number of at most three digits, the
// usual properties, kept in a table by number; -1 for any other text.
int SmallProperty(std::string_view digits);

// The "|" among the 64 bytes from window that stand before end, as bits. Bytes up to
// readable_end may be loaded.
inline std::uint64_t BarsIn(const char* window, const char* end,
                            [[maybe_unused]] const char* readable_end) {
  const auto count = static_cast<std::size_t>(std::min<std::ptrdiff_t>(64, end - window));
#if TRUBKOM_USE_SSE2
  if (readable_end - window >= 64) {
    const std::uint64_t in_line = count == 64 ? ~0ull : (1ull << count) - 1;
    std::uint64_t bars = 0;
    for (int part = 0; part < 4; ++part) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + 16 * part));
      bars |= static_cast<std::uint64_t>(BytesEqual(bytes, '|')) << (16 * part);
    }
    return bars & in_line;
  }
#endif
  std::uint64_t bars = 0;
  for (std::size_t k = 0; k < count; ++k) bars |= static_cast<std::uint64_t>(window[k] == '|') << k;
  return bars;
}

// Calls visit_usual(line, property, value) for every usual entry of the lines from first to
// last, and visit_any(line, entry) for every other "|" digits "(", wherever it stands in the
// line. Each "|" is looked at, so that a "|" inside a value starts an entry of its own; and
// since where the next one stands does not wait on how this one reads, the processor reads
// several entries at once.
template <typename VisitUsual, typename VisitAny>
void ForEachEntry(const common::LineTable& lines, std::size_t first, std::size_t last,
                  VisitUsual visit_usual, VisitAny visit_any) {
  const std::string_view all = lines.bytes();
  const char* const readable_end = all.data() + all.size();
  for (std::size_t i = first; i < last; ++i) {
    const std::string_view text = lines[i];
    const auto line = static_cast<std::uint32_t>(i);
    const char* const end = text.data() + text.size();
    for (const char* window = text.data(); window < end; window += 64) {
      // Whether every "|" of the window may be loaded kUsualLoad bytes at a time.
      const bool loadable = readable_end - window >= static_cast<std::ptrdiff_t>(64 + kUsualLoad);
      for (std::uint64_t bars = BarsIn(window, end, readable_end); bars != 0; bars &= bars - 1) {
        const char* bar = window + std::countr_zero(bars);
        UsualEntry usual;
        if ((loadable || readable_end - bar >= static_cast<std::ptrdiff_t>(kUsualLoad)) &&
            ReadUsualEntry(bar, usual)) {
          visit_usual(line, usual.property, usual.value);
          continue;
        }
        Entry entry;
        if (ReadAnyEntry(bar, end, entry)) visit_any(line, entry);
      }
    }
  }
}

// ForEachEntry for a reader that keeps few entries and tells theirs from the rest cheaper than
// it reads them: only the "|" that worth_reading(window, bars, readable_end) keeps of a window's
// are read. The lines' bytes are gone through as one run, a window of 64 at a time whatever the
// lines, and each "|" kept is placed in its line by a cursor that moves on from line to line.
// Between two lines stand only their ends (CR, or CR LF), so every "|" of the run is in a line.
template <typename VisitUsual, typename VisitAny, typename WorthReading>
void ForEachKeptEntry(const common::LineTable& lines, std::size_t first, std::size_t last,
                      VisitUsual visit_usual, VisitAny visit_any, WorthReading worth_reading) {
  if (first >= last) return;
  const std::string_view all = lines.bytes();
  const char* const readable_end = all.data() + all.size();
  const char* const run_end = lines[last - 1].data() + lines[last - 1].size();
  std::size_t line = first;
  const char* line_end = lines[line].data() + lines[line].size();
  for (const char* window = lines[first].data(); window < run_end; window += 64) {
    const bool loadable = readable_end - window >= static_cast<std::ptrdiff_t>(64 + kUsualLoad);
    std::uint64_t bars = worth_reading(window, BarsIn(window, run_end, readable_end), readable_end);
    for (; bars != 0; bars &= bars - 1) {
      const char* bar = window + std::countr_zero(bars);
      while (bar >= line_end) {
        ++line;
        line_end = lines[line].data() + lines[line].size();
      }
      const auto number = static_cast<std::uint32_t>(line);
      UsualEntry usual;
      if ((loadable || readable_end - bar >= static_cast<std::ptrdiff_t>(kUsualLoad)) &&
          ReadUsualEntry(bar, usual)) {
        visit_usual(number, usual.property, usual.value);
        continue;
      }
      Entry entry;
      if (ReadAnyEntry(bar, line_end, entry)) visit_any(number, entry);
    }
  }
}

}  // namespace trubkom::selection::index_entries
