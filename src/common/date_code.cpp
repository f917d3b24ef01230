#include "common/date_code.h"

#include "common/ascii.h"
#include "common/string_ops.h"

namespace trubkom::common {

namespace {

std::string_view Piece(std::string_view code, std::size_t index) {
  return index * 2 < code.size() ? code.substr(index * 2, 2) : std::string_view{};
}

}  // namespace

std::string DateCodeOf(std::string_view file_name) {
  return AsciiLowered(file_name.size() > 3 ? file_name.substr(3, 6) : std::string_view{});
}

std::string DisplayDate(std::string_view code) {
  return std::string(Piece(code, 0)) + "." + std::string(Piece(code, 1)) + "." +
         std::string(Piece(code, 2));
}

int CompareUpdateDates(std::string_view a, std::string_view b) {
  for (std::size_t piece : {2, 1, 0}) {
    long long x = TextToInt(Piece(a, piece));
    long long y = TextToInt(Piece(b, piece));
    if (x != y) return x > y ? 1 : -1;
  }
  return 0;
}

}  // namespace trubkom::common
