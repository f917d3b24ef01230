#pragma once

#include <string>
#include <string_view>

#include "catalogue/folders.h"

namespace trubkom::testing {

// A catalogue in a fresh private temporary folder, removed again at the end of the test. It
// serves as both the working folder and the program's folder unless told otherwise.
class TempCatalogue {
 public:
  TempCatalogue();
  // The catalogue in the folder at relative path folder of the fresh temporary folder
  // ("Мои документы/Каталог телефонов"), as a desktop user would place it.
  explicit TempCatalogue(std::string_view folder);
  ~TempCatalogue();
  TempCatalogue(const TempCatalogue&) = delete;
  TempCatalogue& operator=(const TempCatalogue&) = delete;

  const std::string& root() const { return root_; }
  catalogue::Folders folders() const { return {root_, root_}; }
  std::string Path(std::string_view relative) const;

  // Writes bytes as they are, creating the folders on the way.
  void WriteBytes(std::string_view relative, std::string_view bytes) const;
  // Writes UTF-8 text converted to Windows-1251.
  void WriteText(std::string_view relative, std::string_view utf8) const;
  // The file's bytes, or empty text.
  std::string ReadBytes(std::string_view relative) const;
  bool Exists(std::string_view relative) const;

 private:
  std::string temporary_;  // the fresh folder, removed at the end
  std::string root_;
};

// The folder of the demo catalogue and program files in the source tree (demo/).
std::string DemoFolder();

// Windows-1251 bytes of UTF-8 source text, for readable expectations.
std::string W(std::string_view utf8);

}  // namespace trubkom::testing
