#pragma once

#include <map>
#include <string>
#include <vector>

#include "catalogue/folders.h"
#include "common/ports.h"
#include "common/result.h"

// The price history of the catalogue: Base/price_history.tkh, Windows-1251 text. Its first line
// is "TRUBKOM PRICE HISTORY 1"; each line after it is one record, "DDMMYY<tab>brand<tab>model<tab>
// price" ending in LF: the date code of the update that changed the model's average price (the
// brand as the brand box shows it, the model without its " *" mark) and the new average. Records
// are only ever appended. A file that would pass kPriceHistoryCap bytes is renamed to
// Base/price_history.old.tkh (replacing the one before) and a new one begun, so the history keeps
// the newest records and never holds more than twice the cap. A file whose first line or any
// record is not so is damaged: it is read as no history, with a warning, and the next append
// moves it aside as Base/price_history.damaged.tkh and begins anew. A last record cut short by a
// crash (no line end) is left out, with a warning, and cut off before the next append.
namespace trubkom::catalogue {

inline constexpr std::size_t kPriceHistoryCap = std::size_t{1} << 20;

// One record of the file.
struct PriceRecord {
  std::string date_code;  // DDMMYY
  std::string brand, model;
  long long price = 0;
};

// One point of a model's history.
struct PricePoint {
  std::string date_code;  // DDMMYY
  long long price = 0;
};

// The history read once, for the pages of many models.
class PriceHistory {
 public:
  // Reads both files of the working folder; a damaged one gives nothing, with a warning.
  static PriceHistory Load(const std::string& working_folder);
  // The points of a model, oldest first by their dates; one point a date (the last recorded).
  // brand and model as Append was given them, ASCII letter case ignored; a " *" mark of the
  // model is ignored.
  std::vector<PricePoint> Of(const std::string& brand, const std::string& model) const;

 private:
  std::vector<PriceRecord> records_;  // in file order
};

// Appends the records (date code, brand, model, price) to the history, rotating or moving a
// damaged file aside first as described above. Records that a line cannot hold (a tab or line
// end in a name, a date code not of six digits) are left out with a warning.
common::Status AppendPriceHistory(const std::string& working_folder,
                                  const std::vector<PriceRecord>& records);

// The average price of every model of every brand of the brand box, as the models list shows
// it, by "brand<tab>model" (the model without its mark). Models no shop offers are left out.
using PriceSnapshot = std::map<std::string, std::string>;
PriceSnapshot TakePriceSnapshot(const Folders& folders);

// The records of the models whose average differs from before (or is new), dated date_code.
std::vector<PriceRecord> ChangedPrices(const PriceSnapshot& before, const PriceSnapshot& after,
                                       const std::string& date_code);

// Records what each applied update package changed in the average prices, for the update run.
class PriceHistoryRecorder : public common::PackageWatch {
 public:
  explicit PriceHistoryRecorder(Folders folders) : folders_(std::move(folders)) {}
  void BeforePackage() override;
  void AfterPackage(const std::string& date_code) override;

 private:
  Folders folders_;
  PriceSnapshot before_;
};

}  // namespace trubkom::catalogue
