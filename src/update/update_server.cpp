#include "update/update_server.h"

#include <cstdlib>
#include <string>

#ifndef TRUBKOM_UPDATE_SERVER
#define TRUBKOM_UPDATE_SERVER "http://127.0.0.1:8000/"
#endif

namespace trubkom::update {

std::string UpdateServerBase() {
  const char* from_environment = std::getenv("TRUBKOM_UPDATE_SERVER");
  std::string base = from_environment != nullptr && *from_environment != '\0'
                         ? from_environment
                         : TRUBKOM_UPDATE_SERVER;
  if (!base.ends_with('/')) base += '/';
  return base;
}

}  // namespace trubkom::update
