#pragma once

#include <string>
#include <string_view>

// The program's home page: the first line of Templates/hp, opened by the desktop.
namespace trubkom::catalogue {

// What the desktop is asked to open for the home page line: an address with a scheme
// ("https://...", "mailto:...") as written; otherwise the file:// address (common::FileUrl) of a
// file path, '\' read as '/', relative to the working folder unless absolute. Empty text for an
// empty line.
std::string HomePageTarget(const std::string& working_folder, std::string_view line);

// The home page target of the working folder's Templates/hp; empty when there is none.
std::string ReadHomePage(const std::string& working_folder);

}  // namespace trubkom::catalogue
