#pragma once

#include <string>
#include <string_view>

// Catalogue text is Windows-1251; source code and the terminal speak UTF-8.
namespace trubkom::common {

// Characters that Windows-1251 lacks become '?'.
std::string Cp1251FromUtf8(std::string_view utf8);
std::string Utf8FromCp1251(std::string_view cp1251);

}  // namespace trubkom::common
