#pragma once

#include <string>
#include <string_view>

namespace trubkom::common {

// Writes the bytes to a temporary file in the same folder and renames it over path, so readers
// see either the old file or the whole new one. False, with nothing left behind, on failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace trubkom::common
