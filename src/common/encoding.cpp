#include "common/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace trubkom::common {

namespace {

std::string Convert(std::string_view text, const char* to, const char* from) {
  iconv_t cd = ::iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
  std::string result;
  result.reserve(text.size() * 2);
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char buffer[1024];
  while (in_left > 0) {
    char* out = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t rc = ::iconv(cd, &in, &in_left, &out, &out_left);
    result.append(buffer, static_cast<std::size_t>(out - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A character the target lacks, or a broken sequence: mark it and go on.
      result += '?';
      ++in;
      --in_left;
      while (in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80 &&
             std::string_view(from) == "UTF-8") {
        ++in;
        --in_left;
      }
    }
  }
  ::iconv_close(cd);
  return result;
}

}  // namespace

std::string Cp1251FromUtf8(std::string_view utf8) { return Convert(utf8, "CP1251", "UTF-8"); }

std::string Utf8FromCp1251(std::string_view cp1251) { return Convert(cp1251, "UTF-8", "CP1251"); }

}  // namespace trubkom::common
