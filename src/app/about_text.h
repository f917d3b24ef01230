#pragma once

#include <string>

namespace trubkom::app {

// The About box's text (Windows-1251, as the message boxes take it): the version, the licence,
// the catalogue folder (the file system's UTF-8) and whether the build trusts the demo keys,
// then the keyboard's shortcuts.
std::string AboutText(const std::string& catalogue_folder, bool demo_keys);

}  // namespace trubkom::app
