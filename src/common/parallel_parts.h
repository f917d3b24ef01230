#pragma once

#include <cstddef>
#include <functional>

// Work on a large input split into parts that are done side by side, one thread a part.
namespace trubkom::common {

// How many parts an input of the given bytes is worth: one for every bytes_per_part, at most
// one a processor (and a few), at least one.
std::size_t PartsFor(std::size_t bytes, std::size_t bytes_per_part);

// Runs work(part) for every part below parts: the first on the calling thread, each other on a
// thread of its own (or on the calling thread when none can be had). Returns when all are done;
// the first part to fail has its exception thrown again here.
void RunParts(std::size_t parts, const std::function<void(std::size_t)>& work);

}  // namespace trubkom::common
