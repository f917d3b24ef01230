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

// Fields of a property record, in record order; 15 is the price and 16 the picture file.
inline constexpr std::array<std::string_view, 17> kRecordFields = {
    "Model",   "Standart",  "Sizes",      "Acc_Type",  "Form_Fact", "Antenna",
    "SAR",     "Vipusk",    "Weight",     "Wait_Time", "Work_Time", "Disp_Rows",
    "Mem_Rec", "Progr_Mel", "Properties", "Price",     "Picture"};

class CatalogueData {
 public:
  explicit CatalogueData(std::string working_folder);
  ~CatalogueData();

  // Forgets every brand file read so far.
  void InitDS();
  // The brand's model names, each followed by "^". Column is always "Model".
  std::string Col2Str2(std::string_view brand, std::string_view column = "Model",
                       std::string_view unused_text = {}, int unused_number = 0);
  // The model's 17 record fields, each followed by "^".
  std::string GetProps2(std::string_view brand, std::string_view model);

 private:
  struct BrandFile;
  // The parsed brand file, read again only when it changed on disk; null when there is none.
  const BrandFile* FindBrand(std::string_view brand);

  std::string working_folder_;
  std::map<std::string, std::unique_ptr<BrandFile>> files_;  // by path
};

}  // namespace trubkom::catalogue
