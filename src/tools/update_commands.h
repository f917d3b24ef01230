#pragma once

#include <optional>
#include <string>
#include <vector>

// The updating commands of trubkom-catalogue: the update run without a window, the last-update
// line, the "Новинки" lists, and the index an update server publishes.
namespace trubkom::tools {

extern const char* const kUpdateUsage;

// Runs update, last-update, new-models or index and gives the exit code; no value when args[0]
// names none of them.
std::optional<int> RunUpdateCommand(const std::vector<std::string>& args);

}  // namespace trubkom::tools
