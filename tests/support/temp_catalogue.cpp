#include "support/temp_catalogue.h"

#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <fstream>

#include "common/encoding.h"
#include "common/line_file.h"

namespace trubkom::testing {

namespace fs = std::filesystem;

// The tests run in the locale of their environment, as the window does (Qt takes it up at its
// start): ./test sets a Russian one, whose decimal mark is a comma.
const bool kEnvironmentLocale = std::setlocale(LC_ALL, "") != nullptr;

TempCatalogue::TempCatalogue() {
  std::string pattern = (fs::temp_directory_path() / "trubkom-test-XXXXXX").string();
  temporary_ = ::mkdtemp(pattern.data());
  root_ = temporary_;
}

TempCatalogue::TempCatalogue(std::string_view folder) : TempCatalogue() {
  root_ = (fs::path(temporary_) / folder).string();
  fs::create_directories(root_);
}

TempCatalogue::~TempCatalogue() {
  std::error_code ignored;
  fs::remove_all(temporary_, ignored);
}

std::string TempCatalogue::Path(std::string_view relative) const {
  return (fs::path(root_) / relative).string();
}

void TempCatalogue::WriteBytes(std::string_view relative, std::string_view bytes) const {
  fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

void TempCatalogue::WriteText(std::string_view relative, std::string_view utf8) const {
  WriteBytes(relative, W(utf8));
}

std::string TempCatalogue::ReadBytes(std::string_view relative) const {
  return common::ReadFile(Path(relative)).value_or("");
}

bool TempCatalogue::Exists(std::string_view relative) const { return fs::exists(Path(relative)); }

std::string DemoFolder() { return TRUBKOM_DEMO_FOLDER; }

std::string W(std::string_view utf8) { return common::Cp1251FromUtf8(utf8); }

}  // namespace trubkom::testing
