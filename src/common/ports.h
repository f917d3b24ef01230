#pragma once

#include <cstdint>
#include <string>

#include "common/result.h"

// What the catalogue needs from the desktop. The window implements these with Qt; tests supply
// fakes that record calls and give prepared answers. Texts are Windows-1251.
namespace trubkom::common {

class Browser {
 public:
  virtual ~Browser() = default;
  // A local file by its absolute path.
  virtual void ShowFile(const std::string& path) = 0;
  // An address such as "file:///..." or "http://...".
  virtual void ShowAddress(const std::string& address) = 0;
  virtual void Stop() = 0;
};

class Messages {
 public:
  virtual ~Messages() = default;
  virtual void Inform(const std::string& text) = 0;
  // Something went wrong and the user should know; told as Inform unless the desktop shows
  // warnings apart.
  virtual void Warn(const std::string& text) { Inform(text); }
  // True for OK, false for Cancel.
  virtual bool Confirm(const std::string& text) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a web address or a file with the program the desktop assigns to it.
  virtual void Open(const std::string& target) = 0;
};

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void Append(const std::string& line) = 0;
  virtual void Clear() = 0;
};

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  // The chosen folder, or empty text when the user cancelled.
  virtual std::string ChooseFolder(const std::string& start) = 0;
};

// Told when an update package's scripts have all run, before the package is marked as applied,
// with the date code ("DDMMYY") of its name, so that what it changed can be recorded. A crash in
// between, or a record that could not be written (a failed status), leaves the package not
// applied and tells it again on the next run, so what it records must come out the same then.
class PackageWatch {
 public:
  virtual ~PackageWatch() = default;
  virtual Status Applied(const std::string& date_code) = 0;
};

// Random whole numbers, injected so that pages with random choices can be tested exactly.
class Random {
 public:
  virtual ~Random() = default;
  // A number from 0 to bound - 1; bound is at least 1.
  virtual std::uint32_t Below(std::uint32_t bound) = 0;
};

}  // namespace trubkom::common
