#pragma once

#include <string>

namespace trubkom::update {

// The update server's base address, ending in "/": the environment variable
// TRUBKOM_UPDATE_SERVER when it is set and not empty, else the address built in
// (the CMake cache variable of the same name).
std::string UpdateServerBase();

}  // namespace trubkom::update
