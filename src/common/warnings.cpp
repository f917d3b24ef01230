#include "common/warnings.h"

#include <mutex>
#include <set>

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

}  // namespace trubkom::common
