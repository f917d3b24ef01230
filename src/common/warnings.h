#pragma once

#include <string>
#include <utility>

#include "common/error.h"
#include "common/result.h"

// Problems the user should hear about that do not stop the work: a catalogue file that exists
// but cannot be read (a folder, a device, a read error) or is too large to be what it claims.
// The code that meets such a file says so here and goes on as if the file were missing; the
// program decides how the user hears it.
//
// The tool installs a sink that prints each warning to standard error. The window installs one
// that logs it (and may show it in a message box); warnings can come from the update run's
// worker thread, so a window's sink must hand them over to the user-interface thread itself
// (a queued call) rather than touch widgets in Warn.
namespace trubkom::common {

class WarningSink {
 public:
  virtual ~WarningSink() = default;
  // text is UTF-8, naming the file by its path.
  virtual void Warn(const std::string& text) = 0;
  // A catalogue file that exists and could not be read at all (too large for the memory, a read
  // error, no regular file): the program goes on without it. message is the user's sentence,
  // Windows-1251, "Не удалось прочитать <path>: <reason>"; a window shows it, not only logs it.
  virtual void FileUnreadable(const std::string& text, const std::string& message) {
    (void)message;
    Warn(text);
  }
};

// Installs the sink for the whole process (null: warnings are dropped, the default). It must
// stay alive until another sink is installed. Installing forgets which warnings were given.
void SetWarningSink(WarningSink* sink);

// Passes the text to the sink, each distinct text only once, so a file read on every page
// build is reported once rather than on every page. Safe from any thread. Only the layers that
// face the user call these (catalogue, the tool, the window); the layers below report errors to
// them and never warn.
void Warn(const std::string& text);
// The same for a file that could not be read at all (WarningSink::FileUnreadable).
void WarnFileUnreadable(const std::string& text, const std::string& message);

// A catalogue file that could not be read is read as missing, and said (its error's message)
// unless it is only missing, which is no problem to tell.
void WarnUnlessMissing(const Error& error);
// How many catalogue reads said by WarnUnlessMissing have failed for a reason that may pass (an
// input/output error, no memory, no space) since the program started, from any thread. What
// records a result computed from the catalogue compares it before and after, so that it never
// records what it computed from a catalogue read only in part.
unsigned long PassingReadFailures();
// The value read, or fallback when it could not be read, said as WarnUnlessMissing says it.
template <typename T>
T ValueOrWarn(Result<T> result, T fallback = T{}) {
  if (result) return std::move(*result);
  WarnUnlessMissing(result.error());
  return fallback;
}

}  // namespace trubkom::common
