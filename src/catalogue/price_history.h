#pragma once

#include <map>
#include <string>
#include <vector>

#include "common/ports.h"
#include "common/result.h"

// The price history of the catalogue: Base/price_history.tkh, Windows-1251 text. Its first line
// is "TRUBKOM PRICE HISTORY 1"; each line after it is one record, "DDMMYY<tab>brand<tab>model<tab>
// price" ending in LF: the date code of the update after which the model's average price was no
// longer the last one the history holds for it (or the first it holds), the brand as the brand
// box shows it, the model without its " *" mark, and the new average. Records
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
  // Reads both files of the working folder; a damaged one gives nothing, with a warning; one
  // that is there but cannot be read fails the whole.
  static common::Result<PriceHistory> Read(const std::string& working_folder);
  // The same for a page: a history that cannot be read is none, with a warning.
  static PriceHistory Load(const std::string& working_folder);
  // The points of a model, oldest first by their dates; one point a date (the last recorded).
  // brand and model as Append was given them, ASCII letter case ignored; a " *" mark of the
  // model is ignored.
  std::vector<PricePoint> Of(const std::string& brand, const std::string& model) const;
  // The price recorded last for each model, by the key of KeyOf.
  std::map<std::string, long long> LastPrices() const;
  // A model's key: brand and model lowered in ASCII, a tab between, the " *" mark left out.
  static std::string KeyOf(std::string_view brand, std::string_view model);

 private:
  std::vector<PriceRecord> records_;  // in file order
};

// Appends the records (date code, brand, model, price) to the history, rotating or moving a
// damaged file aside first as described above. Records that a line cannot hold (a tab or line
// end in a name, a date code not of six digits) are left out with a warning.
common::Status AppendPriceHistory(const std::string& working_folder,
                                  const std::vector<PriceRecord>& records);

// The average price of every model of every brand of the brand box, as the models list shows
// it: brand, model (without its mark) and the average, dated date_code. Models no shop offers
// are left out.
std::vector<PriceRecord> CurrentPrices(const std::string& working_folder,
                                       const std::string& date_code);

// The prices whose model has another last price in the history, or none.
std::vector<PriceRecord> ChangedPrices(const PriceHistory& history,
                                       const std::vector<PriceRecord>& prices);

// Records, when an update package has run, the average prices it changed. Comparing with the
// history itself rather than with the catalogue before the package, it records the same
// whether or not a crash interrupted the package, and nothing when told twice.
class PriceHistoryRecorder : public common::PackageWatch {
 public:
  explicit PriceHistoryRecorder(std::string working_folder)
      : working_folder_(std::move(working_folder)) {}
  common::Status Applied(const std::string& date_code) override;

 private:
  std::string working_folder_;
  std::string folders_mark_;  // of the price inputs' folders when inputs_ was made
  std::string inputs_;        // PriceInputsStamp
};

}  // namespace trubkom::catalogue
