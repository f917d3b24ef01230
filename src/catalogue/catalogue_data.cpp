#include "catalogue/catalogue_data.h"

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <pugixml.hpp>

#include "catalogue/brand_spellings.h"
#include "catalogue/xml_text.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/string_ops.h"
#include "common/warnings.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::AsciiLowered;

// A brand file as the library answers from it. Each model's record is kept as GetProps2 gives it,
// "field^field^...^", the records one after the other in the file's order: a few bytes for each
// byte of the file's text, where a string for each field would take some thirty more.
struct CatalogueData::BrandFile {
  std::int64_t modified_ns = 0;
  off_t size = -1;
  std::string records;
  std::vector<std::size_t> starts{0};  // where each record begins, and where the last ends
  // The models by their names with ASCII letters folded; equal names in the file's order.
  std::vector<std::uint32_t> by_folded_name;

  std::size_t count() const { return starts.size() - 1; }
  std::string_view Record(std::size_t model) const {
    return std::string_view(records).substr(starts[model], starts[model + 1] - starts[model]);
  }
  std::string_view Name(std::size_t model) const {
    std::string_view record = Record(model);
    return record.substr(0, record.find('^'));
  }
  // The first model of that folded name, if there is one.
  std::optional<std::size_t> Find(std::string_view folded) const {
    auto found = std::lower_bound(
        by_folded_name.begin(), by_folded_name.end(), folded,
        [&](std::uint32_t model, std::string_view name) { return FoldedLess(Name(model), name); });
    if (found == by_folded_name.end() || FoldedLess(folded, Name(*found))) return std::nullopt;
    return *found;
  }
  void IndexNames() {
    by_folded_name.resize(count());
    for (std::size_t i = 0; i < count(); ++i) by_folded_name[i] = static_cast<std::uint32_t>(i);
    std::stable_sort(
        by_folded_name.begin(), by_folded_name.end(),
        [&](std::uint32_t a, std::uint32_t b) { return FoldedLess(Name(a), Name(b)); });
  }
  static bool FoldedLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<unsigned char>(common::AsciiLower(x)) <
             static_cast<unsigned char>(common::AsciiLower(y));
    });
  }
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

// The records of a brand file: each model's fields, "^" after each, one after the other, and
// where each model begins and the last one ends.
struct BrandRecords {
  std::string records;
  std::vector<std::size_t> starts{0};
};

// A file that is not well-formed XML gives its brand no models: kDamaged, its message keeping
// the parser's byte offset and reason, so that the catalogue maker hears where it broke and why.
//
// The file is parsed where it lies, in its own encoding: the parser reads its bytes as UTF-8
// without judging them, and no byte of markup is above 0x7F in either encoding, so the texts of
// a Windows-1251 file come out as the file's bytes. References are replaced here, in the
// program's encoding, which also keeps a byte offset in an error the file's own.
common::Result<BrandRecords> ParseBrandFile(const std::string& path, std::string bytes) {
  const bool utf8 = IsUtf8Name(DeclaredEncoding(bytes));
  pugi::xml_document document;
  pugi::xml_parse_result parsed = document.load_buffer_inplace(
      bytes.data(), bytes.size(), pugi::parse_default & ~pugi::parse_escapes, pugi::encoding_utf8);
  if (!parsed) {
    return common::ErrorAbout(common::ErrorCode::kDamaged, "Не удалось прочитать", path,
                              "это не XML (байт " + std::to_string(parsed.offset) + ": " +
                                  parsed.description() + "); у марки нет моделей");
  }
  BrandRecords brand;
  std::string& records = brand.records;
  for (pugi::xml_node node : document.child("brand").children("model")) {
    for (std::string_view name : kRecordFields) {
      std::string text = Cp1251TextOf(node.child(std::string(name).c_str()).text().get(), utf8);
      // "^" separates the names and fields of the library's answers, so it cannot be part of one.
      std::replace(text.begin(), text.end(), '^', ' ');
      records += text;
      records += '^';
    }
    brand.starts.push_back(records.size());
  }
  return brand;
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
      common::Result<std::string> bytes = common::ReadFile(path);
      common::Result<BrandRecords> brand =
          bytes ? ParseBrandFile(path, std::move(*bytes)) : bytes.error();
      if (brand) {
        file->records = std::move(brand->records);
        file->starts = std::move(brand->starts);
      } else {
        common::WarnUnlessMissing(brand.error());
      }
      file->records.shrink_to_fit();
      file->starts.shrink_to_fit();
      file->IndexNames();
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
  for (std::size_t i = 0; i < file->count(); ++i) {
    names += file->Name(i);
    names += '^';
  }
  return names;
}

std::string CatalogueData::GetProps2(std::string_view brand, std::string_view model) {
  const BrandFile* file = FindBrand(brand);
  if (!file) return {};
  std::string name = AsciiLowered(model);
  // The list's mark is dropped, unless the library's own name ends so.
  if (name.ends_with(selection::kFullDescriptionMark) && !file->Find(name)) {
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
    if (auto found = file->Find(candidate)) return std::string(file->Record(*found));
  }
  return {};
}

}  // namespace trubkom::catalogue
