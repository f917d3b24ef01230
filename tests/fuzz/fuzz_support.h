#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/string_ops.h"

// What the fuzz targets share: the input as text, a scratch folder of the process, and the
// check that turns a broken promise into a crash the fuzzer keeps.
namespace trubkom::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Aborts with the message when the condition fails, so the input is kept as a finding.
void Require(bool condition, std::string_view what);

// A private folder made on first use and removed when the process ends.
const std::string& ScratchRoot();

// Empties a folder of the scratch root, making it when missing; returns its path.
std::string FreshFolder(std::string_view name);

// Writes bytes to path, creating the folders on the way.
void WriteFile(const std::string& path, std::string_view bytes);

// Every file, folder and link under folder with its kind, size and content hash, one a line:
// two equal snapshots mean nothing under the folder changed.
std::string Snapshot(const std::string& folder);

// Whether a range of the criteria may span more than max_width values. The textual definition
// of the criteria tries every value of a range in turn, so such criteria are compared on short
// ranges only. Items are cut at every character that can end one, so no real range is missed.
bool HasWideRange(std::string_view criteria, long long max_width);

// The first line (up to the first LF) and the rest.
std::pair<std::string_view, std::string_view> SplitFirstLine(std::string_view text);

}  // namespace trubkom::fuzz
