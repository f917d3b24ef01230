#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/ports.h"
#include "common/warnings.h"

namespace trubkom::testing {

// Records what the browser area was told to show.
class FakeBrowser : public common::Browser {
 public:
  void ShowFile(const std::string& path) override { shown.push_back(path); }
  void ShowAddress(const std::string& address) override { shown.push_back(address); }
  void Stop() override { ++stops; }

  std::vector<std::string> shown;
  int stops = 0;
};

class FakeMessages : public common::Messages {
 public:
  void Inform(const std::string& text) override { texts.push_back(text); }
  bool Confirm(const std::string& text) override {
    texts.push_back(text);
    return confirm_answer;
  }

  std::vector<std::string> texts;
  bool confirm_answer = true;
};

class FakeShell : public common::Shell {
 public:
  void Open(const std::string& target) override { opened.push_back(target); }
  std::vector<std::string> opened;
};

// Answers with the folder it was given (empty: the user cancelled) and records the starts.
class FakeFolderChooser : public common::FolderChooser {
 public:
  std::string ChooseFolder(const std::string& start) override {
    starts.push_back(start);
    return answer;
  }
  std::string answer;
  std::vector<std::string> starts;
};

// Gives the prepared numbers in turn (each taken modulo the bound), then zeros.
class ScriptedRandom : public common::Random {
 public:
  explicit ScriptedRandom(std::deque<std::uint32_t> numbers = {}) : numbers_(std::move(numbers)) {}
  std::uint32_t Below(std::uint32_t bound) override;

 private:
  std::deque<std::uint32_t> numbers_;
};

// Collects the process's warnings for as long as it lives.
class RecordedWarnings : public common::WarningSink {
 public:
  RecordedWarnings() { common::SetWarningSink(this); }
  ~RecordedWarnings() override { common::SetWarningSink(nullptr); }
  void Warn(const std::string& text) override { texts.push_back(text); }
  void FileUnreadable(const std::string& text, const std::string& message) override {
    texts.push_back(text);
    messages.push_back(message);
  }
  std::vector<std::string> texts;
  std::vector<std::string> messages;  // the user's sentences of files that could not be read
};

}  // namespace trubkom::testing
