#include "support/core_helpers.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/ascii.h"
#include "common/line_file.h"

namespace trubkom::testing {

common::StringList ToStringList(const common::LineTable& table) {
  common::StringList lines;
  lines.reserve(table.size());
  for (std::string_view line : table) lines.emplace_back(line);
  return lines;
}

common::Result<update::ExtractReport> ExtractArchiveFile(const std::string& path,
                                                         const std::string& destination,
                                                         const update::ExtractLimits& limits) {
  auto bytes = common::ReadFile(path);
  if (!bytes) return bytes.error();
  return update::ExtractArchiveBytes(*bytes, destination, limits);
}

void AddPriceLine(catalogue::BrandPrices& prices, std::string_view line) {
  const std::string lowered = common::AsciiLowered(line);
  if (lowered.find_first_of("\r\n") != std::string::npos) {
    prices.AddLoweredLine(lowered);
  } else {
    prices.AddLoweredText(lowered);
  }
}

bool AcceptsConnections(const std::string& address) {
  std::size_t scheme_end = address.find("://");
  if (scheme_end == std::string::npos) return false;
  std::string authority = address.substr(scheme_end + 3);
  authority = authority.substr(0, authority.find('/'));
  std::size_t colon = authority.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = authority.substr(0, colon), port = authority.substr(colon + 1);
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return false;
  int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
  bool connected = fd >= 0 && ::connect(fd, found->ai_addr, found->ai_addrlen) == 0;
  if (fd >= 0) ::close(fd);
  ::freeaddrinfo(found);
  return connected;
}

}  // namespace trubkom::testing
