#pragma once

#include <string>
#include <string_view>

namespace trubkom::catalogue {

// The text of an element of a brand file as the program holds it, in Windows-1251. raw is the
// element's text as the file has it, with its references not yet replaced ("&amp;", "&#1072;"),
// in the file's encoding: Windows-1251, or UTF-8 when utf8. A character Windows-1251 lacks
// becomes '?'; a reference the XML standard does not define stays as written.
std::string Cp1251TextOf(std::string_view raw, bool utf8);

}  // namespace trubkom::catalogue
