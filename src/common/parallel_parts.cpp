#include "common/parallel_parts.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace trubkom::common {

namespace {

constexpr std::size_t kMostParts = 8;

}  // namespace

std::size_t PartsFor(std::size_t bytes, std::size_t bytes_per_part) {
  // Asked of the system once: each asking reads a file of /sys, and a search asks per brand.
  static const std::size_t processors = std::max(1u, std::thread::hardware_concurrency());
  return std::clamp(bytes / std::max<std::size_t>(bytes_per_part, 1), std::size_t{1},
                    std::min(processors, kMostParts));
}

void RunParts(std::size_t parts, const std::function<void(std::size_t)>& work) {
  std::vector<std::exception_ptr> failures(parts);
  auto run = [&](std::size_t part) {
    try {
      work(part);
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  for (std::size_t part = 1; part < parts; ++part) {
    try {
      threads.emplace_back(run, part);
    } catch (const std::system_error&) {
      run(part);
    }
  }
  if (parts > 0) run(0);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace trubkom::common
