#include "catalogue/price_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "catalogue/brand_list.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/listed_brands.h"
#include "catalogue/model_list.h"
#include "catalogue/price_inputs.h"
#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/file_at.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/unique_fd.h"
#include "common/warnings.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using namespace common::literals;

namespace {

constexpr std::string_view kHeader = "TRUBKOM PRICE HISTORY 1";
constexpr std::string_view kCurrentName = "Base/price_history.tkh";
constexpr std::string_view kOldName = "Base/price_history.old.tkh";
constexpr std::string_view kDamagedName = "Base/price_history.damaged.tkh";
// The stamp of what the prices were made from when the history was last brought up to date.
constexpr std::string_view kInputsName = "Base/price_history.inputs";

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsDateCode(std::string_view code) { return code.size() == 6 && IsDigits(code); }

bool IsPrice(std::string_view text) {
  return IsDigits(text.starts_with('-') ? text.substr(1) : text) && text.size() <= 19;
}

bool Holdable(std::string_view name) {
  return !name.empty() && name.find_first_of("\t\r\n") == std::string_view::npos;
}

std::optional<PriceRecord> ParseRecord(std::string_view line) {
  common::StringList fields = common::SplitByChar(line, '\t');
  if (fields.size() != 4 || !IsDateCode(fields[0]) || !Holdable(fields[1]) ||
      !Holdable(fields[2]) || !IsPrice(fields[3])) {
    return std::nullopt;
  }
  return PriceRecord{fields[0], fields[1], fields[2], common::TextToInt(fields[3])};
}

// What a history file holds. damaged: its first line or a record is not as it should be;
// torn: its last record has no line end.
struct FileContent {
  std::vector<PriceRecord> records;
  bool damaged = false;
  bool torn = false;
  std::size_t whole_bytes = 0;  // the bytes up to the end of the last whole line
};

FileContent ParseHistory(std::string_view bytes) {
  FileContent content;
  std::size_t end = bytes.rfind('\n');
  content.whole_bytes = end == std::string_view::npos ? 0 : end + 1;
  content.torn = content.whole_bytes < bytes.size();
  common::StringList lines = common::SplitByChar(bytes.substr(0, content.whole_bytes), '\n');
  if (lines.empty() || lines[0] != kHeader) {
    content.damaged = !bytes.empty();
    return content;
  }
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::optional<PriceRecord> record = ParseRecord(lines[i]);
    if (!record) {
      content.damaged = true;
      content.records.clear();
      return content;
    }
    content.records.push_back(std::move(*record));
  }
  return content;
}

// The content of one file: none for a missing one; a damaged one is warned of and gives no
// records; one that is there but cannot be read is an error, since no history and a history
// unread are not the same to what compares prices with it.
common::Result<FileContent> ReadHistoryFile(const std::string& path) {
  common::Result<std::string> bytes = common::ReadFile(path, 2 * kPriceHistoryCap);
  if (!bytes) {
    if (bytes.error().code == common::ErrorCode::kMissing) return FileContent{};
    return bytes.error();
  }
  FileContent content = ParseHistory(*bytes);
  if (content.damaged) {
    common::Warn(path + ": история цен повреждена; она не учитывается");
  } else if (content.torn) {
    common::Warn(path + ": последняя запись истории цен оборвана; она не учитывается");
  }
  return content;
}

std::string RecordLine(const PriceRecord& r) {
  return r.date_code + "\t" + r.brand + "\t" + r.model + "\t" + std::to_string(r.price) + "\n";
}

// The catalogue's Base folder held open, never reached through a link (update scripts may not
// write through one either): the history is written inside it, so a Base swapped for a link out
// of the catalogue leads nowhere.
common::Result<common::UniqueFd> OpenBaseFolder(const std::string& working_folder) {
  const std::string base = common::ResolvePath(working_folder, "Base");
  common::UniqueFd fd(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.ok()) return common::SystemError(errno, "Не удалось открыть папку", base, true);
  return fd;
}

// The file of the history named (one of the names above) in the Base folder held open.
common::FileAt InBase(int base, const std::string& working_folder, std::string_view name) {
  return {base, std::string(name.substr(name.find('/') + 1)),
          common::ResolvePath(working_folder, name)};
}

common::Status AppendBytes(const common::FileAt& file, std::string_view bytes, bool cut_to,
                           std::size_t whole_bytes) {
  const std::string& path = file.path;
  std::optional<mode_t> mode = common::NewFileMode();
  common::UniqueFd fd(::openat(file.folder, file.name.c_str(),
                               O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                               mode.value_or(0644)));
  if (!fd.ok()) return common::WriteError(errno, path);
  // A record cut short by a crash goes, so that the next one starts on a line of its own.
  if (cut_to && ::ftruncate(fd.get(), static_cast<off_t>(whole_bytes)) != 0) {
    return common::WriteError(errno, path);
  }
  if (common::WriteAll(fd.get(), bytes) != 0 || ::fsync(fd.get()) != 0) {
    return common::WriteError(errno, path);
  }
  return {};
}

}  // namespace

common::Result<PriceHistory> PriceHistory::Read(const std::string& working_folder) {
  PriceHistory history;
  for (std::string_view name : {kOldName, kCurrentName}) {
    common::Result<FileContent> content =
        ReadHistoryFile(common::ResolvePath(working_folder, name));
    if (!content) return content.error();
    for (PriceRecord& record : content->records) history.records_.push_back(std::move(record));
  }
  return history;
}

PriceHistory PriceHistory::Load(const std::string& working_folder) {
  common::Result<PriceHistory> history = Read(working_folder);
  if (history) return std::move(*history);
  common::Warn(common::Utf8FromCp1251(history.error().message) + "; история цен не учитывается");
  return {};
}

std::vector<PricePoint> PriceHistory::Of(const std::string& brand, const std::string& model) const {
  const std::string key = KeyOf(brand, model);
  std::vector<PricePoint> points;
  for (const PriceRecord& record : records_) {
    if (KeyOf(record.brand, record.model) != key) continue;
    auto same_date = std::find_if(points.begin(), points.end(), [&](const PricePoint& p) {
      return p.date_code == record.date_code;
    });
    if (same_date != points.end()) points.erase(same_date);
    points.push_back({record.date_code, record.price});
  }
  std::stable_sort(points.begin(), points.end(), [](const PricePoint& a, const PricePoint& b) {
    return common::CompareUpdateDates(a.date_code, b.date_code) < 0;
  });
  return points;
}

std::string PriceHistory::KeyOf(std::string_view brand, std::string_view model) {
  return common::AsciiLowered(brand) + "\t" +
         common::AsciiLowered(common::ReplaceAll(model, selection::kFullDescriptionMark, ""));
}

std::map<std::string, long long> PriceHistory::LastPrices() const {
  std::map<std::string, long long> last;
  for (const PriceRecord& record : records_) last[KeyOf(record.brand, record.model)] = record.price;
  return last;
}

common::Status AppendPriceHistory(const std::string& working_folder,
                                  const std::vector<PriceRecord>& records) {
  std::string lines;
  for (const PriceRecord& record : records) {
    if (!IsDateCode(record.date_code) || !Holdable(record.brand) || !Holdable(record.model)) {
      common::Warn("цену " + common::Utf8FromCp1251(record.brand + " " + record.model) +
                   " из апдейта " + common::Utf8FromCp1251(record.date_code) +
                   " нельзя записать в историю цен; она пропущена");
      continue;
    }
    lines += RecordLine(record);
  }
  if (lines.empty()) return {};
  common::Result<common::UniqueFd> base = OpenBaseFolder(working_folder);
  if (!base) return base.error();
  const common::FileAt current = InBase(base->get(), working_folder, kCurrentName);
  const std::string& path = current.path;
  FileContent content;
  std::size_t size = 0;
  common::Result<std::string> bytes = common::ReadFile(current, 2 * kPriceHistoryCap);
  if (bytes) {
    content = ParseHistory(*bytes);
    size = bytes->size();
  } else if (bytes.error().code != common::ErrorCode::kMissing) {
    content.damaged = true;  // too large or unreadable: not one of ours to append to
  }
  std::string begin_with;
  if (content.damaged || size == 0) {
    if (content.damaged) {
      common::Warn(path + ": история цен повреждена; она переименована в " +
                   std::string(kDamagedName) + " и начата заново");
      const common::FileAt damaged = InBase(base->get(), working_folder, kDamagedName);
      ::renameat(base->get(), current.name.c_str(), base->get(), damaged.name.c_str());
    }
    begin_with = std::string(kHeader) + "\n";
    content = {};
  } else if (content.whole_bytes + lines.size() > kPriceHistoryCap) {
    // The older half of the history goes; the file kept beside is the one being closed.
    const common::FileAt old = InBase(base->get(), working_folder, kOldName);
    if (::renameat(base->get(), current.name.c_str(), base->get(), old.name.c_str()) != 0) {
      return common::WriteError(errno, path);
    }
    begin_with = std::string(kHeader) + "\n";
    content = {};
  }
  // A new file appears whole, never empty or with its header alone.
  if (!begin_with.empty()) return common::ReplaceFileAtomically(current, begin_with + lines);
  return AppendBytes(current, lines, content.torn, content.whole_bytes);
}

std::vector<PriceRecord> CurrentPrices(const std::string& working_folder,
                                       const std::string& date_code) {
  const Folders folders{working_folder, {}};
  const common::LineTable index =
      common::ValueOrWarn(selection::LoadModelIndexHeads(working_folder));
  CatalogueData data(working_folder);
  std::vector<PriceRecord> prices;
  for (const ListedBrand& brand : ReadListedBrands(folders, data, DescribedModelsByBrand(index),
                                                   BrandBoxEntries(working_folder, index))) {
    for (std::size_t m = 0; m < brand.size(); ++m) {
      if (brand.averages[m] == kNoPrice) continue;
      prices.push_back(
          {date_code, brand.name,
           common::ReplaceAll(std::string(brand.Model(m)), selection::kFullDescriptionMark, ""),
           brand.averages[m]});
    }
  }
  return prices;
}

std::vector<PriceRecord> ChangedPrices(const PriceHistory& history,
                                       const std::vector<PriceRecord>& prices) {
  const std::map<std::string, long long> last = history.LastPrices();
  std::vector<PriceRecord> changed;
  for (const PriceRecord& price : prices) {
    auto known = last.find(PriceHistory::KeyOf(price.brand, price.model));
    if (known == last.end() || known->second != price.price) changed.push_back(price);
  }
  return changed;
}

namespace {

// Appends the prices that differ from the history's last ones, unless the history or the
// catalogue could be read only in part: then prices would be recorded that never were.
common::Status RecordChangedPrices(const std::string& working_folder, const std::string& date_code,
                                   const std::string& inputs) {
  // Nothing the prices are made from has changed since the history was brought up to date: no
  // price can have changed, and no model need be priced.
  common::Result<std::string> recorded =
      common::ReadFile(common::ResolvePath(working_folder, kInputsName), 64);
  if (recorded && *recorded == inputs + " " + PriceHistoryStamp(working_folder) + "\n") return {};
  const unsigned long failures_before = common::PassingReadFailures();
  common::Result<PriceHistory> history = PriceHistory::Read(working_folder);
  if (!history) return history.error();
  std::vector<PriceRecord> prices = CurrentPrices(working_folder, date_code);
  if (common::PassingReadFailures() != failures_before) {
    return common::Error{common::ErrorCode::kReadFailed,
                         std::string("каталог прочитан не целиком"_cp1251)};
  }
  if (common::Status appended = AppendPriceHistory(working_folder, ChangedPrices(*history, prices));
      !appended) {
    return appended;
  }
  // Only a saving: without the stamp (a catalogue without Base, a full disk) the next package
  // prices every model again, as if there had never been one.
  if (common::Result<common::UniqueFd> base = OpenBaseFolder(working_folder)) {
    (void)common::ReplaceFileAtomically(InBase(base->get(), working_folder, kInputsName),
                                        inputs + " " + PriceHistoryStamp(working_folder) + "\n");
  }
  return {};
}

}  // namespace

common::Status PriceHistoryRecorder::Applied(const std::string& date_code) {
  // The stamp of the inputs is made again only when a file of their folders came or went, so a
  // run of many packages that touch neither looks at the catalogue's files once.
  if (const std::string mark = PriceFoldersMark(working_folder_); mark != folders_mark_) {
    inputs_ = PriceInputsStamp(working_folder_);
  }
  common::Status written = RecordChangedPrices(working_folder_, date_code, inputs_);
  folders_mark_ = PriceFoldersMark(working_folder_);  // as the recording itself left Base
  if (written) return {};
  return common::Error{
      written.error().code,
      std::string("цены апдейта не записаны в историю цен: "_cp1251) + written.error().message};
}

}  // namespace trubkom::catalogue
