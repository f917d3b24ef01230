#include "catalogue/catalogue_data.h"

#include <sys/stat.h>

#include <algorithm>
#include <pugixml.hpp>
#include <unordered_map>

#include "catalogue/brand_spellings.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/string_ops.h"
#include "common/warnings.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::AsciiLowered;

using Record = std::array<std::string, kRecordFields.size()>;

struct CatalogueData::BrandFile {
  std::int64_t modified_ns = 0;
  off_t size = -1;
  std::vector<Record> models;                                   // in the file's order
  std::unordered_map<std::string, std::size_t> by_folded_name;  // first model of each name
};

namespace {

// The brand part of a brand file's name: the text before "_new", folded.
std::string BrandKeyOfFile(std::string_view file_name) {
  std::size_t at = AsciiLowered(file_name).find("_new");
  if (at == std::string::npos) return {};
  return AsciiLowered(file_name.substr(0, at));
}

// The encoding named by the XML declaration, or empty text for none.
std::string DeclaredEncoding(std::string_view bytes) {
  if (!common::StartsWith(bytes, "<?xml")) return {};
  std::string_view declaration = bytes.substr(0, bytes.find("?>"));
  std::string_view rest = common::After(declaration, "encoding");
  std::size_t quote = rest.find_first_of("\"'");
  if (quote == std::string_view::npos) return {};
  std::size_t end = rest.find(rest[quote], quote + 1);
  if (end == std::string_view::npos) return {};
  return AsciiLowered(rest.substr(quote + 1, end - quote - 1));
}

bool IsUtf8Name(const std::string& encoding) {
  return encoding.empty() || encoding == "utf-8" || encoding == "utf8";
}

// The offset in the file of a byte of its UTF-8 form: a Windows-1251 file has one byte for each
// character, whose UTF-8 form begins with a byte that is no continuation byte (10xxxxxx).
std::ptrdiff_t FileOffset(std::string_view utf8, std::ptrdiff_t offset, bool converted) {
  if (!converted) return offset;
  return std::count_if(utf8.begin(), utf8.begin() + offset,
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// A file that is not well-formed XML gives its brand no models; the catalogue maker hears
// where it broke and why.
void ParseBrandFile(const std::string& path, std::string bytes, std::vector<Record>& models) {
  // pugixml reads UTF-8; brand files are Windows-1251, so convert there and back.
  bool converted = !IsUtf8Name(DeclaredEncoding(bytes));
  if (converted) bytes = common::Utf8FromCp1251(bytes);
  pugi::xml_document document;
  pugi::xml_parse_result parsed =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    common::Warn(path + ": not well-formed XML at byte " +
                 std::to_string(FileOffset(bytes, parsed.offset, converted)) + " (" +
                 parsed.description() + "); the brand has no models");
    return;
  }
  for (pugi::xml_node node : document.child("brand").children("model")) {
    Record fields;
    for (std::size_t i = 0; i < kRecordFields.size(); ++i) {
      std::string text = node.child(std::string(kRecordFields[i]).c_str()).text().get();
      // "^" separates the names and fields of the library's answers, so it cannot be part of one.
      std::replace(text.begin(), text.end(), '^', ' ');
      fields[i] = common::Cp1251FromUtf8(text);
    }
    models.push_back(std::move(fields));
  }
}

}  // namespace

CatalogueData::CatalogueData(std::string working_folder)
    : working_folder_(std::move(working_folder)) {}

CatalogueData::~CatalogueData() = default;

void CatalogueData::InitDS() { files_.clear(); }

const CatalogueData::BrandFile* CatalogueData::FindBrand(std::string_view brand) {
  std::string key = LibraryBrandKey(brand);
  if (key.empty()) return nullptr;
  std::string base = common::ResolvePath(working_folder_, "Base");
  for (const std::string& name : common::ListFiles(base, "*.xml")) {
    if (BrandKeyOfFile(name) != key) continue;
    std::string path = common::JoinPath(base, name);
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return nullptr;
    std::unique_ptr<BrandFile>& file = files_[path];
    std::int64_t modified_ns = info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec;
    if (!file || file->modified_ns != modified_ns || file->size != info.st_size) {
      file = std::make_unique<BrandFile>();
      file->modified_ns = modified_ns;
      file->size = info.st_size;
      if (auto bytes = common::ReadFileBytes(path, common::DataFileCap())) {
        ParseBrandFile(path, std::move(*bytes), file->models);
      }
      for (std::size_t i = 0; i < file->models.size(); ++i) {
        file->by_folded_name.try_emplace(AsciiLowered(file->models[i][field::kModel]), i);
      }
    }
    return file.get();
  }
  return nullptr;
}

std::string CatalogueData::Col2Str2(std::string_view brand, std::string_view, std::string_view,
                                    int) {
  const BrandFile* file = FindBrand(brand);
  if (!file) return {};
  std::string names;
  for (const auto& fields : file->models) names += fields[field::kModel] + "^";
  return names;
}

std::string CatalogueData::GetProps2(std::string_view brand, std::string_view model) {
  const BrandFile* file = FindBrand(brand);
  if (!file) return {};
  std::string name = AsciiLowered(model);
  // The list's mark is dropped, unless the library's own name ends so.
  if (name.ends_with(selection::kFullDescriptionMark) && !file->by_folded_name.contains(name)) {
    name.resize(name.size() - selection::kFullDescriptionMark.size());
  }
  // The model index spells some names otherwise than the brand files ("OneTouch 535" for
  // "ot 535", "SGH-E250" for "sgh E250"); an entry taken from the index finds its record too.
  const std::string candidates[] = {
      name, common::ReplaceAll(name, "onetouch", "ot"),
      common::ReplaceAll(
          common::ReplaceAll(common::ReplaceAll(name, "sch-", "sch "), "sgh-", "sgh "), "sph-",
          "sph ")};
  for (const std::string& candidate : candidates) {
    auto found = file->by_folded_name.find(candidate);
    if (found == file->by_folded_name.end()) continue;
    std::string record;
    for (const std::string& field : file->models[found->second]) record += field + "^";
    return record;
  }
  return {};
}

}  // namespace trubkom::catalogue
