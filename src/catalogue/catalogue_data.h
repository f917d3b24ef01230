#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The catalogue-data library: the models of each brand and their property records, read from
// the brand files Base/<brand>_new.xml of the working folder. Brands and models are found by
// name with ASCII letters folded; the brand box's spellings ("Sony-Ericsson", "MTC") and model
// names that still carry the " *" mark are accepted too. Every answer is Windows-1251 text; a
// brand or model that cannot be found, or a brand file that is not well-formed XML, gives
// empty text.
namespace trubkom::catalogue {

// The fields of a property record, in record order.
namespace field {
enum Index : std::size_t {
  kModel,
  kStandart,
  kSizes,
  kAccType,
  kFormFact,
  kAntenna,
  kSar,
  kVipusk,
  kWeight,
  kWaitTime,
  kWorkTime,
  kDispRows,
  kMemRec,
  kProgrMel,
  kProperties,  // the feature flags (feature_flags.h)
  kPrice,
  kPicture,  // the picture's file name
  kCount
};
}  // namespace field

// The names of the fields, which are the elements of a brand file's model.
inline constexpr std::array<std::string_view, field::kCount> kRecordFields = [] {
  std::array<std::string_view, field::kCount> names;
  names[field::kModel] = "Model";
  names[field::kStandart] = "Standart";
  names[field::kSizes] = "Sizes";
  names[field::kAccType] = "Acc_Type";
  names[field::kFormFact] = "Form_Fact";
  names[field::kAntenna] = "Antenna";
  names[field::kSar] = "SAR";
  names[field::kVipusk] = "Vipusk";
  names[field::kWeight] = "Weight";
  names[field::kWaitTime] = "Wait_Time";
  names[field::kWorkTime] = "Work_Time";
  names[field::kDispRows] = "Disp_Rows";
  names[field::kMemRec] = "Mem_Rec";
  names[field::kProgrMel] = "Progr_Mel";
  names[field::kProperties] = "Properties";
  names[field::kPrice] = "Price";
  names[field::kPicture] = "Picture";
  return names;
}();

class CatalogueData {
 public:
  explicit CatalogueData(std::string working_folder);
  ~CatalogueData();

  // Forgets every brand file read so far.
  void InitDS();
  // The brand's model names, each followed by "^". Column is always "Model".
  std::string Col2Str2(std::string_view brand, std::string_view column = "Model",
                       std::string_view unused_text = {}, int unused_number = 0);
  // The model's record fields (field::Index), each followed by "^".
  std::string GetProps2(std::string_view brand, std::string_view model);
  // Whether the brand has a file in Base (read or not).
  bool HasBrandFile(std::string_view brand) { return FindBrand(brand) != nullptr; }

 private:
  struct BrandFile;
  // The parsed brand file, read again only when it changed on disk; null when there is none.
  const BrandFile* FindBrand(std::string_view brand);

  std::string working_folder_;
  std::map<std::string, std::unique_ptr<BrandFile>> files_;  // by path
};

}  // namespace trubkom::catalogue
