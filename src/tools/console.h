#pragma once

#include <string>
#include <string_view>

#include "common/error.h"
#include "common/ports.h"
#include "common/warnings.h"

// The tool's console. Everything the tool prints is UTF-8: the catalogue's own texts
// (Windows-1251, as in its files) are converted here and nowhere else, and every other text
// handed to these functions (paths, the tool's own messages) is UTF-8 already.
namespace trubkom::tools {

// A line of catalogue text (Windows-1251) on standard output.
void PrintLine(const std::string& cp1251);
// The text as it is, lines and all (a block of many lines).
void PrintText(std::string_view cp1251);

// "trubkom-catalogue: message" on standard error; gives the exit status of a failed command, 1.
int Fail(const std::string& utf8);
// The same for an Error, whose message is Windows-1251.
int Fail(const common::Error& error);
// "trubkom-catalogue: примечание: message" on standard error; the command goes on.
void Note(const std::string& utf8);

// Warnings about catalogue files go to standard error; the command goes on.
class StderrWarnings : public common::WarningSink {
 public:
  void Warn(const std::string& text) override;
};

// The ports of an update on a terminal: status lines and messages printed as they come (catalogue
// text), every question answered Cancel, nothing opened, and the folder given on the command
// line as the one the user chose.
class ConsolePorts : public common::StatusSink,
                     public common::Messages,
                     public common::Shell,
                     public common::FolderChooser {
 public:
  explicit ConsolePorts(std::string chosen_folder = {})
      : chosen_folder_(std::move(chosen_folder)) {}
  void Append(const std::string& line) override { PrintLine(line); }
  void Clear() override {}
  void Inform(const std::string& text) override { PrintLine(text); }
  bool Confirm(const std::string& text) override;
  void Open(const std::string&) override {}
  std::string ChooseFolder(const std::string&) override { return chosen_folder_; }

 private:
  std::string chosen_folder_;
};

}  // namespace trubkom::tools
