#include "common/warnings.h"

#include <atomic>
#include <mutex>
#include <set>

#include "common/encoding.h"

namespace trubkom::common {

namespace {

struct Dispatch {
  std::mutex mutex;
  WarningSink* sink = nullptr;
  std::set<std::string> given;
};

Dispatch& TheDispatch() {
  static Dispatch dispatch;
  return dispatch;
}

std::atomic<unsigned long> passing_read_failures{0};

}  // namespace

void SetWarningSink(WarningSink* sink) {
  Dispatch& d = TheDispatch();
  std::lock_guard lock(d.mutex);
  d.sink = sink;
  d.given.clear();
}

void Warn(const std::string& text) {
  Dispatch& d = TheDispatch();
  std::lock_guard lock(d.mutex);
  if (d.sink && d.given.insert(text).second) d.sink->Warn(text);
}

void WarnFileUnreadable(const std::string& text, const std::string& message) {
  Dispatch& d = TheDispatch();
  std::lock_guard lock(d.mutex);
  if (d.sink && d.given.insert(text).second) d.sink->FileUnreadable(text, message);
}

void WarnUnlessMissing(const Error& error) {
  if (error.code == ErrorCode::kReadFailed || error.code == ErrorCode::kNoSpace) {
    ++passing_read_failures;
  }
  if (error.code != ErrorCode::kMissing)
    WarnFileUnreadable(Utf8FromCp1251(error.message), error.message);
}

unsigned long PassingReadFailures() { return passing_read_failures.load(); }

}  // namespace trubkom::common
