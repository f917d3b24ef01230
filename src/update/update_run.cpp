#include "update/update_run.h"

#include <filesystem>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/private_folder.h"
#include "update/apply_package.h"
#include "update/download.h"
#include "update/package_order.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

namespace fs = std::filesystem;

// A server index is a short list of names; anything near this size is not one.
constexpr std::size_t kIndexFileCap = std::size_t{1} << 20;


bool Cancelled(const UpdatePorts& ports) { return ports.cancel && ports.cancel->load(); }

std::vector<std::string> PackagesIn(const std::string& folder) {
  std::vector<std::string> paths;
  for (const std::string& name : common::ListFiles(folder, "*.upd")) {
    paths.push_back(folder + "/" + name);
  }
  return paths;
}

// A line is missing when no local package's path contains it, letter case ignored.
bool IsMissing(const std::string& line, const std::vector<std::string>& local_packages) {
  std::string lowered = common::AsciiLowered(line);
  for (const std::string& path : local_packages) {
    if (common::Contains(common::AsciiLowered(path), lowered)) return false;
  }
  return true;
}

class OnlinePhase {
 public:
  OnlinePhase(const std::string& updates, const UpdateOptions& options, UpdatePorts& ports)
      : updates_(updates), options_(options), ports_(ports) {
    control_.cancel = ports.cancel;
    control_.progress = ports.progress;
  }

  // The index's failure, if any; failed downloads are counted into failed.
  common::Status Run(int& failed) {
    failed_ = &failed;
    std::vector<std::string> local_packages = PackagesIn(updates_);
    std::error_code error;
    if (!fs::is_directory(updates_, error)) fs::create_directory(updates_, error);
    std::string index_path = updates_ + "/index.txt";
    ports_.status.Append(std::string("Скачиваем список апдейтов"_cp1251));
    common::Status index = Fetch("updates/index.txt", index_path);
    if (index) DownloadMissing(index_path, local_packages);
    ports_.status.Append("");
    fs::remove(index_path, error);
    return index;
  }

 private:
  common::Status Fetch(const std::string& server_path, const std::string& local_path) {
    return GetInetFile(options_.server_base + server_path, local_path, options_.proxy,
                       options_.use_proxy, control_);
  }

  void DownloadMissing(const std::string& index_path,
                       const std::vector<std::string>& local_packages) {
    auto index = common::ReadLinesAtAnyEnd(index_path, kIndexFileCap);
    bool found = false;
    for (const std::string& name : PackageNamesOfIndex(index.value_or(common::StringList{}))) {
      if (Cancelled(ports_)) return;
      if (!IsMissing(name, local_packages)) continue;
      found = true;
      ports_.status.Append(std::string("Скачиваем апдейт от "_cp1251) +
                           common::DisplayDate(common::DateCodeOf(name)));
      common::Status fetched = Fetch("updates/" + name, updates_ + "/" + name);
      if (fetched) {
        ports_.status.Append(std::string("Завершено"_cp1251));
      } else if (fetched.error().code != common::ErrorCode::kCancelled) {
        ports_.status.Append(std::string("Не скачан: "_cp1251) + fetched.error().message);
        ++*failed_;
      }
    }
    if (!found && !Cancelled(ports_)) {
      ports_.messages.Inform(std::string("Обновлений нет"_cp1251));
      ports_.status.Append(std::string("Завершено"_cp1251));
    }
  }

  const std::string& updates_;
  const UpdateOptions& options_;
  UpdatePorts& ports_;
  DownloadControl control_;
  int* failed_ = nullptr;
};

// Packages from the publisher that could not be written stop the run: the later ones build on
// them. A package that is damaged or not the publisher's is only left out.
bool StopsTheRun(const common::Error& error) {
  return error.code != common::ErrorCode::kRefused && error.code != common::ErrorCode::kDamaged &&
         error.code != common::ErrorCode::kTooLarge;
}

// The online phase, when the run can go online; either way the user hears why the server's
// index could not be had.
void GoOnline(const std::string& updates, const UpdateOptions& options, UpdatePorts& ports,
              UpdateSummary& summary) {
  common::Status online = CheckConnection(options.server_base, options.proxy, options.use_proxy);
  if (!online) {
    ports.status.Append(std::string(options.use_proxy ? "Прокси-сервер не отвечает: "_cp1251
                                                      : "Сервер обновлений недоступен: "_cp1251) +
                        online.error().message);
    summary.server_problem = online.error();
    return;
  }
  common::Status index = OnlinePhase(updates, options, ports).Run(summary.failed);
  if (!index && index.error().code != common::ErrorCode::kCancelled) {
    ports.status.Append(std::string("Сервер обновлений недоступен: "_cp1251) + index.error().message);
    summary.server_problem = index.error();
  }
}

void ApplyAll(const std::vector<std::string>& packages, const std::string& working_folder,
              const UpdateOptions& options, UpdatePorts& ports, const OpeningKeys& keys,
              UpdateSummary& summary) {
  for (const std::string& package : packages) {
    if (Cancelled(ports)) break;
    auto outcome =
        ApplyPackage(package, working_folder, {ports.status, ports.messages, ports.shell}, keys);
    if (outcome) {
      if (!outcome->already_applied) ++summary.applied;
      continue;
    }
    ++summary.failed;
    // A package that fails is never reported as done; the user hears why, and can fetch it again,
    // make room or tell the publisher.
    ports.status.Append(std::string("Апдейт от "_cp1251) +
                        common::DisplayDate(common::DateCodeOf(PackageBaseName(package))) +
                        std::string(" не установлен: "_cp1251) + outcome.error().message);
    // A package in updates/ that does not open can never be applied: it is damaged (cut short
    // by a crash of the system before its bytes reached the disk, since downloads are not
    // flushed), not the publisher's, or a file the user copied there under a package's name.
    // While it lay there the index would count it as present and it would fail on every run;
    // moved aside as "<name>.rejected" it is fetched again by the next run, and nothing the
    // user put there is lost. Packages of a folder the user chose stay where they are.
    if (outcome.error().code == common::ErrorCode::kRefused && !options.local_folder) {
      std::error_code ignored;
      fs::rename(package, package + ".rejected", ignored);
    }
    if (StopsTheRun(outcome.error())) break;
  }
}

}  // namespace

UpdateSummary RunUpdate(const std::string& working_folder, const UpdateOptions& options,
                        UpdatePorts ports, const OpeningKeys& keys) {
  ports.status.Clear();
  UpdateSummary summary;
  std::string updates = common::ResolvePath(working_folder, "updates");
  common::RemoveStaleTemporaries(updates);  // downloads of a run that was killed
  common::RemoveAbandonedPrivateFolders(kWorkingFolderPrefix);  // and its decrypted packages
  if (!options.local_folder) GoOnline(updates, options, ports, summary);
  std::vector<std::string> packages;
  if (options.local_folder) {
    std::string chosen = ports.folders.ChooseFolder(working_folder);
    if (chosen.empty()) {
      ports.status.Append(std::string("Папка с пакетами не выбрана"_cp1251));
      return summary;
    }
    packages = PackagesIn(chosen);
  } else {
    packages = PackagesIn(updates);
  }
  SortByDate(packages);
  ApplyAll(packages, working_folder, options, ports, keys, summary);
  if (options.local_folder && summary.applied == 0 && summary.failed == 0 && !Cancelled(ports)) {
    ports.status.Append(std::string("В папке нет новых пакетов"_cp1251));
  }
  if (summary.applied > 0) {
    ports.status.Append(std::string("Установлено пакетов: "_cp1251) + std::to_string(summary.applied));
  }
  return summary;
}

void ShowLastUpdate(const std::string& working_folder, common::StatusSink& status) {
  std::vector<std::string> names =
      common::ListFiles(common::ResolvePath(working_folder, "updates"), "*.upd");
  if (names.empty()) {
    status.Append(std::string("Обновлений не проводилось"_cp1251));
    return;
  }
  std::string newest = common::DateCodeOf(names.front());
  for (const std::string& name : names) {
    std::string code = common::DateCodeOf(name);
    if (common::CompareUpdateDates(code, newest) == 1) newest = code;
  }
  status.Append(std::string("Последнее обновление от "_cp1251) + common::DisplayDate(newest));
}

}  // namespace trubkom::update
