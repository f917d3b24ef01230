#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trubkom::update {

// The path of relative ('\' read as '/') inside root, each existing component in the spelling
// found on disk (letter case ignored), or no value when the name would lead out of root or
// through a link: an absolute name, a ".." component, or a symbolic link on the way, the last
// component included. Decided on the components as found on disk, never on the text alone.
// An empty relative name is root itself.
std::optional<std::string> PathInside(const std::string& root, std::string_view relative);

}  // namespace trubkom::update
