#pragma once

#include <optional>
#include <string>
#include <vector>

// The publisher's commands of trubkom-catalogue: making keys, sealing update packages, previewing
// and applying them.
namespace trubkom::tools {

extern const char* const kPublisherUsage;

// Runs keygen, pack, check or apply and gives the exit code; no value when args[0] names none of
// them.
std::optional<int> RunPublisherCommand(const std::vector<std::string>& args);

}  // namespace trubkom::tools
