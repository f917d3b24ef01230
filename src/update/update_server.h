#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trubkom::update {

// The update server's base addresses, each ending in "/", separated by blanks: the environment
// variable TRUBKOM_UPDATE_SERVER when it is set and not empty, else the addresses built in (the
// CMake cache variable of the same name). Several addresses are mirrors, tried in order.
std::string UpdateServerBase();

// The addresses of such a list, each ending in "/".
std::vector<std::string> ServerAddresses(std::string_view list);

}  // namespace trubkom::update
