#pragma once

#include <charconv>
#include <chrono>
#include <optional>
#include <string>

// Values of the tool's options, read as written on the command line.
namespace trubkom::tools {

// A count of seconds written in decimal digits (--wait 30); none for anything else.
inline std::optional<std::chrono::seconds> SecondsArgument(const std::string& text) {
  long long seconds = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || seconds < 0) {
    return std::nullopt;
  }
  return std::chrono::seconds(seconds);
}

}  // namespace trubkom::tools
