#pragma once

#include <string>
#include <string_view>

namespace trubkom::common {

// The text as HTML shows it literally, in element content and in quoted attribute values alike:
// "&", "<", ">", '"' and "'" become character references; every other byte stays as it is, so
// Windows-1251 text stays Windows-1251.
std::string HtmlEscaped(std::string_view text);

}  // namespace trubkom::common
