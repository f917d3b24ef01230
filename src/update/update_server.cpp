#include "update/update_server.h"

#include <cstdlib>
#include <string>

#ifndef TRUBKOM_UPDATE_SERVER
#define TRUBKOM_UPDATE_SERVER "http://127.0.0.1:8000/"
#endif

namespace trubkom::update {

std::vector<std::string> ServerAddresses(std::string_view list) {
  std::vector<std::string> addresses;
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find_first_of(" \t\r\n;", at);
    if (end == std::string_view::npos) end = list.size();
    if (end > at) {
      std::string address(list.substr(at, end - at));
      if (!address.ends_with('/')) address += '/';
      addresses.push_back(std::move(address));
    }
    at = end + 1;
  }
  return addresses;
}

std::string UpdateServerBase() {
  const char* from_environment = std::getenv("TRUBKOM_UPDATE_SERVER");
  std::string list = from_environment != nullptr && *from_environment != '\0'
                         ? from_environment
                         : TRUBKOM_UPDATE_SERVER;
  std::string bases;
  for (const std::string& address : ServerAddresses(list)) {
    bases += (bases.empty() ? "" : " ") + address;
  }
  return bases;
}

}  // namespace trubkom::update
