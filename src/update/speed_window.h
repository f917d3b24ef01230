#pragma once

#include <chrono>
#include <cstdint>
#include <deque>

// Whether a download keeps a minimum average speed over every window of time, measured here
// rather than by the download library: its check restarts at every second that brings bytes, so a
// server sending a few kilobytes in one burst a minute would hold a file for the whole time limit.
namespace trubkom::update {

class SpeedWindow {
 public:
  using Clock = std::chrono::steady_clock;

  // A window of span seconds must bring at least bytes_per_second * span bytes.
  SpeedWindow(std::chrono::seconds span, std::uint64_t bytes_per_second);

  // Notes that received bytes have arrived in all by now; true once some window that ended by now
  // brought too few. The first call starts the clock.
  bool TooSlow(Clock::time_point now, std::uint64_t received);

 private:
  struct Mark {
    Clock::time_point at;
    std::uint64_t received;
  };
  Clock::duration span_;
  Clock::duration step_;  // marks are kept this far apart at least: a few dozen a window
  std::uint64_t least_bytes_;
  std::deque<Mark> marks_;
};

}  // namespace trubkom::update
