#include "update/speed_window.h"

#include <gtest/gtest.h>

#include <functional>

namespace trubkom::update {
namespace {

using std::chrono::seconds;

// A server's pace: the bytes received in all by a second of the transfer.
struct Pace {
  const char* what;
  std::function<std::uint64_t(int second)> received;
  int cut_at;  // the first second the transfer is cut at, or 0 when it never is
};

// Every window of 60 seconds must bring 240 KB; bursts between silences do not reset the clock.
TEST(SpeedWindow, CutsATransferAtTheFirstWindowThatBringsTooLittle) {
  constexpr std::uint64_t kKilobyte = 1024;
  const Pace paces[] = {
      {"4 KB every second", [](int s) { return s * 4 * kKilobyte; }, 0},
      {"8 KB every second", [](int s) { return s * 8 * kKilobyte; }, 0},
      {"32 KB every 50 seconds", [](int s) { return (s / 50 + 1) * 32 * kKilobyte; }, 60},
      {"nothing at all", [](int) { return std::uint64_t{0}; }, 60},
      {"a fast start, then silence", [](int s) { return std::min(s, 10) * 1024 * kKilobyte; }, 70},
      {"silent for 50 seconds, then fast",
       [](int s) { return s < 50 ? 0 : (s - 49) * 100 * kKilobyte; }, 0},
      {"3 KB a second, just below", [](int s) { return s * 3 * kKilobyte; }, 60},
  };
  for (const Pace& pace : paces) {
    SpeedWindow window(seconds(60), 4 * kKilobyte);
    const SpeedWindow::Clock::time_point start{};
    int cut_at = 0;
    for (int second = 0; second <= 300 && cut_at == 0; ++second) {
      if (window.TooSlow(start + seconds(second), pace.received(second))) cut_at = second;
    }
    EXPECT_EQ(cut_at, pace.cut_at) << pace.what;
  }
}

}  // namespace
}  // namespace trubkom::update
