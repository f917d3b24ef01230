#include "update/speed_window.h"

#include <algorithm>

namespace trubkom::update {

SpeedWindow::SpeedWindow(std::chrono::seconds span, std::uint64_t bytes_per_second)
    : span_(span),
      step_(std::max<Clock::duration>(span_ / 60, std::chrono::milliseconds(10))),
      least_bytes_(bytes_per_second * std::uint64_t(span.count())) {}

bool SpeedWindow::TooSlow(Clock::time_point now, std::uint64_t received) {
  if (marks_.empty() || now - marks_.back().at >= step_) marks_.push_back({now, received});
  // The front becomes the latest mark at least a window old, the start of the window ending now.
  while (marks_.size() >= 2 && now - marks_[1].at >= span_) marks_.pop_front();
  const Mark& start = marks_.front();
  return now - start.at >= span_ && received - start.received < least_bytes_;
}

}  // namespace trubkom::update
