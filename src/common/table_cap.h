#pragma once

#include <cstdint>
#include <stdexcept>

// The catalogue's tables (lines, texts, the search) address their bytes with 32-bit offsets, so
// one holds at most TableCap() bytes. A table that would outgrow it throws TableTooLarge; the
// builders are deep inside loops, so they throw rather than return, and the callers that load a
// catalogue (the window's loading, the tool's commands) catch it and say it to the user.
namespace trubkom::common {

struct TableTooLarge : std::length_error {
  using std::length_error::length_error;
};

std::uint64_t TableCap();
// Lowers the cap (0: back to the real one), so that a test can make a small catalogue outgrow
// its tables.
void SetTableCapForTesting(std::uint64_t cap);

// Throws TableTooLarge naming the table when size is beyond the cap.
inline void CheckTableSize(std::uint64_t size, const char* table) {
  if (size >= TableCap()) throw TableTooLarge(table);
}

}  // namespace trubkom::common
