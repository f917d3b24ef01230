#include "update/update_run.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ctime>
#include <optional>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/private_folder.h"
#include "update/apply_package.h"
#include "update/contained_path.h"
#include "update/download.h"
#include "update/package.h"
#include "update/package_order.h"
#include "update/signed_index.h"
#include "update/update_lock.h"
#include "update/update_server.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

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

// The packages of the updates folder, listed through its descriptor.
std::vector<std::string> PackagesIn(const Contained& updates, const std::string& working_folder) {
  std::vector<std::string> paths;
  for (const std::string& name : common::ListFiles(updates.folder.get(), "*.upd")) {
    paths.push_back(updates.Path(working_folder) + "/" + name);
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

// Whether the next mirror may serve where this one failed: it could not be reached, answered
// with an error, or served an index that is not the publisher's; not a cancel, and not a
// failure of this computer's own disk, which the next mirror would meet too.
bool TriesTheNextMirror(const common::Error& error) {
  switch (error.code) {
    case common::ErrorCode::kNetwork:
    case common::ErrorCode::kMissing:
    case common::ErrorCode::kRefused:
    case common::ErrorCode::kDamaged:
    case common::ErrorCode::kTooLarge:
      return true;
    default:
      return false;
  }
}

// Downloads go into the updates folder held open, which was reached beneath the catalogue
// folder: no link swapped into its path meanwhile can send them elsewhere.
class OnlinePhase {
 public:
  // other_mirrors serve, in turn, the packages this mirror fails to serve.
  OnlinePhase(const Contained& updates, const std::string& working_folder,
              const UpdateOptions& options, std::vector<std::string> other_mirrors,
              UpdatePorts& ports, const PublicKey& key)
      : key_(key),
        other_mirrors_(std::move(other_mirrors)),
        updates_(updates.folder.get()),
        path_(updates.Path(working_folder)),
        local_packages_(PackagesIn(updates, working_folder)),
        options_(options),
        ports_(ports) {
    control_.cancel = ports.cancel;
    control_.progress = ports.progress;
  }

  // The packages that failed to download, or why the index could not be had.
  common::Result<common::StringList> Run() {
    ports_.status.Append(std::string("Скачиваем список апдейтов"_cp1251));
    auto index = FetchIndex();
    common::Status accepted = index ? CheckSignature(*index) : common::Status(index.error());
    if (accepted) {
      KeepIndex(*index);
      DownloadMissing(*index);
    } else {
      // Asked whole next time: a refused index must not come back as "not modified".
      ::unlinkat(updates_, "index.validators", 0);
      ::unlinkat(updates_, "index.sig.validators", 0);
    }
    ports_.status.Append("");
    if (!accepted) return accepted.error();
    return not_downloaded_;
  }

 private:
  common::FileAt In(const std::string& name) const { return {updates_, name, path_ + "/" + name}; }

  // The server's index: downloaded when it changed since the copy kept by the last run (asked
  // with its validators), else that copy, which costs no download. The signature comes with it
  // (signature_), downloaded or kept alike; none when the server has none.
  common::Result<std::string> FetchIndex() {
    auto index = FetchKept("index.txt", "index.cache", "index.validators", validators_);
    if (!index) return index.error();
    // The signature is asked with validators of its own: a publisher signs again (a new
    // expiry) beside an index that did not change, which a server whose ETag is the content's
    // hash answers "not modified" for.
    auto signature =
        FetchKept("index.sig", "index.sig.cache", "index.sig.validators", signature_validators_);
    if (!signature && signature.error().code != common::ErrorCode::kMissing) {
      return signature.error();
    }
    if (signature) signature_ = std::move(*signature);
    return index;
  }

  // A small file of the server's updates/ (the index, its signature): downloaded when it changed
  // since the copy kept by the last run (asked with that copy's validators), else that copy,
  // which costs no download; validators gets what the server answered.
  common::Result<std::string> FetchKept(const char* name, const char* cache,
                                        const char* validators_file, Validators& validators) {
    Validators known = ReadValidators(validators_file);
    auto kept = common::ReadFile(In(cache), kIndexFileCap);
    if (!kept) known = {};
    DownloadControl control = control_;
    control.max_bytes = kIndexFileCap;
    const common::FileAt file = In(name);
    auto changed = GetInetFileIfChanged(options_.server_base + "updates/" + name, file,
                                        options_.proxy, options_.use_proxy, known, control);
    if (!changed) return changed.error();
    validators = known;
    if (!*changed) return kept;
    auto bytes = common::ReadFile(file, kIndexFileCap);
    ::unlinkat(updates_, file.name.c_str(), 0);
    return bytes;
  }

  // Keeps the index taken, its signature and its validators for the next run to ask with.
  void KeepIndex(const std::string& index) {
    bool kept = common::ReplaceFileAtomically(In("index.cache"), index, false).ok();
    if (signature_) {
      kept = kept && common::ReplaceFileAtomically(In("index.sig.cache"), *signature_, false).ok();
    } else {
      ::unlinkat(updates_, "index.sig.cache", 0);
    }
    KeepValidators(kept, "index.validators", validators_);
    KeepValidators(kept && signature_, "index.sig.validators", signature_validators_);
  }

  void KeepValidators(bool kept, const char* file, const Validators& validators) {
    if (kept && (!validators.etag.empty() || !validators.last_modified.empty())) {
      (void)common::ReplaceFileAtomically(
          In(file), validators.etag + "\n" + validators.last_modified + "\n", false);
    } else {
      ::unlinkat(updates_, file, 0);
    }
  }

  Validators ReadValidators(const char* file) const {
    auto text = common::ReadFile(In(file), 4096);
    if (!text) return {};
    common::StringList lines = common::SplitLinesAtAnyEnd(*text);
    lines.resize(2);
    return {lines[0], lines[1]};
  }

  // Takes the server's index only when its signature holds: one the server signs verifies,
  // is no older than the newest this catalogue has seen and has not expired; once a catalogue
  // has seen a signed index, an unsigned one is refused. The serial seen is kept in
  // updates/index.serial.
  common::Status CheckSignature(const std::string& index) {
    const common::FileAt serial_file = In("index.serial");
    std::uint64_t seen = ReadSerial(serial_file);
    if (!signature_) {
      // A server that has never signed its index, where the build takes a plain one.
      if (seen == 0 && !options_.require_signed_index) return {};
      return IndexRefused(seen == 0 ? "он не подписан (на сервере нет index.sig)"
                                    : "он не подписан, а прежние были подписаны");
    }
    auto verified = VerifyIndex(*signature_, index, key_);
    if (!verified) return verified.error();
    if (verified->serial < seen) return IndexRefused("он старше уже полученного (откат)");
    if (verified->expires_at <= static_cast<std::int64_t>(std::time(nullptr))) {
      return IndexRefused("срок его действия истек");
    }
    signed_ = std::move(*verified);
    if (signed_->serial > seen) {
      if (common::Status kept =
              common::ReplaceFileAtomically(serial_file, std::to_string(signed_->serial) + "\n");
          !kept) {
        return kept;
      }
    }
    return {};
  }

  static common::Error IndexRefused(const char* why_utf8) {
    return {common::ErrorCode::kRefused, common::Cp1251FromUtf8(why_utf8)};
  }

  // The serial of the newest signed index seen; 0 when none was, or its record is damaged.
  static std::uint64_t ReadSerial(const common::FileAt& file) {
    auto text = common::ReadFile(file, 64);
    std::uint64_t serial = 0;
    if (!text) return 0;
    std::string_view digits = *text;
    while (!digits.empty() && (digits.back() == '\n' || digits.back() == '\r')) {
      digits.remove_suffix(1);
    }
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), serial);
    return error == std::errc() && end == digits.data() + digits.size() ? serial : 0;
  }

  // A package downloaded under a signed index must have the bytes it lists; one that has not is
  // removed before anything reads it further.
  common::Status CheckDownloaded(const std::string& name) {
    if (!signed_) return {};
    auto bytes = common::ReadFile(In(name), kMaxPackageBytes);
    common::Status matches =
        bytes ? CheckSignedPackage(*signed_, name, *bytes) : common::Status(bytes.error());
    if (!matches) ::unlinkat(updates_, name.c_str(), 0);
    return matches;
  }

  // A package's download is capped at the size the signed index gives it: no server sends more.
  DownloadControl PackageControl(const std::string& name) const {
    DownloadControl control = control_;
    if (signed_) {
      auto listed = signed_->packages.find(common::AsciiLowered(name));
      if (listed != signed_->packages.end()) control.max_bytes = listed->second.size;
    }
    return control;
  }

  // Parts of downloads cut short that no run will resume: their package arrived since, or the
  // index no longer lists it.
  void RemovePartsOtherThan(const common::StringList& missing) const {
    for (const char* suffix : {".part", ".part-version"}) {
      for (const std::string& name : common::ListFiles(updates_, std::string("*") + suffix)) {
        const std::string package = name.substr(0, name.size() - std::strlen(suffix));
        if (std::find(missing.begin(), missing.end(), package) == missing.end()) {
          ::unlinkat(updates_, name.c_str(), 0);
        }
      }
    }
  }

  // Packages put aside because they did not open, which the index no longer lists: nothing a
  // server sent stays in updates/ without bound. One the index lists is fetched again, and the
  // next refusal replaces its copy, so each name keeps one at most.
  void RemoveRejectedOtherThan(const common::StringList& listed) const {
    constexpr std::string_view kSuffix = ".rejected";
    for (const std::string& name : common::ListFiles(updates_, "*.rejected")) {
      const std::string_view package =
          std::string_view(name).substr(0, name.size() - kSuffix.size());
      const bool still_listed = std::any_of(
          listed.begin(), listed.end(),
          [&](const std::string& l) { return common::EqualsIgnoringAsciiCase(l, package); });
      if (!still_listed) ::unlinkat(updates_, name.c_str(), 0);
    }
  }

  // A package, resumed where an earlier download of it was cut short; from the other mirrors in
  // turn when this one cannot serve it whole and as signed.
  common::Status FetchPackage(const std::string& name) {
    std::vector<std::string> sources = {options_.server_base};
    sources.insert(sources.end(), other_mirrors_.begin(), other_mirrors_.end());
    const DownloadControl control = PackageControl(name);
    common::Status fetched;
    for (std::size_t i = 0; i < sources.size(); ++i) {
      bool not_as_signed = false;
      // A part resumed may hold another server's bytes: a whole that is not as signed is thrown
      // away and fetched once more from byte 0 here, then from the next mirror.
      for (int attempt = 0; attempt < 2; ++attempt) {
        fetched = GetInetFileResuming(sources[i] + "updates/" + name, In(name), options_.proxy,
                                      options_.use_proxy, control);
        if (!fetched) break;
        fetched = CheckDownloaded(name);
        not_as_signed = !fetched;
        if (fetched) break;
      }
      if (fetched || i + 1 == sources.size() ||
          !(not_as_signed || TriesTheNextMirror(fetched.error()))) {
        break;
      }
      ports_.status.Append(common::Cp1251FromUtf8(sources[i]) + ": " +
                           std::string("Не скачан: "_cp1251) + fetched.error().message +
                           std::string("; пробуем следующее зеркало"_cp1251));
    }
    return fetched;
  }

  void DownloadMissing(const std::string& index) {
    common::StringList missing;
    const common::StringList listed = PackageNamesOfIndex(common::SplitLinesAtAnyEnd(index));
    for (const std::string& name : listed) {
      if (IsMissing(name, local_packages_)) missing.push_back(name);
    }
    RemovePartsOtherThan(missing);
    RemoveRejectedOtherThan(listed);
    const bool found = !missing.empty();
    int number = 0;
    for (const std::string& name : missing) {
      if (Cancelled(ports_)) return;
      if (ports_.package_started) {
        ports_.package_started(true, common::DateCodeOf(name), ++number,
                               static_cast<int>(missing.size()));
      }
      ports_.status.Append(std::string("Скачиваем апдейт от "_cp1251) +
                           common::DisplayDate(common::DateCodeOf(name)));
      common::Status fetched = FetchPackage(name);
      if (fetched) {
        ports_.status.Append(std::string("Завершено"_cp1251));
      } else if (fetched.error().code != common::ErrorCode::kCancelled) {
        ports_.status.Append(std::string("Не скачан: "_cp1251) + fetched.error().message);
        not_downloaded_.push_back(name);
      }
    }
    if (!found && !Cancelled(ports_)) {
      ports_.messages.Inform(std::string("Обновлений нет"_cp1251));
      ports_.status.Append(std::string("Завершено"_cp1251));
    }
  }

  const PublicKey& key_;
  std::vector<std::string> other_mirrors_;
  std::optional<std::string> signature_;  // the text of index.sig, when the server has one
  std::optional<IndexSignature> signed_;
  Validators validators_;
  Validators signature_validators_;
  int updates_;
  std::string path_;
  std::vector<std::string> local_packages_;
  const UpdateOptions& options_;
  UpdatePorts& ports_;
  DownloadControl control_;
  common::StringList not_downloaded_;
};

// Packages from the publisher that could not be written stop the run: the later ones build on
// them. A package that is damaged or not the publisher's is only left out.
bool StopsTheRun(const common::Error& error) {
  return error.code != common::ErrorCode::kRefused && error.code != common::ErrorCode::kDamaged &&
         error.code != common::ErrorCode::kTooLarge;
}

// The mirrors after the one at serving, in their order: those before it failed already.
std::vector<std::string> MirrorsAfter(const std::vector<std::string>& mirrors,
                                      std::size_t serving) {
  return {mirrors.begin() + static_cast<std::ptrdiff_t>(serving) + 1, mirrors.end()};
}

// The line that says why the index of a server could not be had.
std::string IndexProblemLine(const common::Error& error, bool use_proxy, bool reached) {
  const std::string_view why = !reached ? (use_proxy ? "Прокси-сервер не отвечает: "_cp1251
                                                     : "Сервер обновлений недоступен: "_cp1251)
                               : error.code == common::ErrorCode::kRefused
                                   ? "Список апдейтов отклонен: "_cp1251
                                   : "Сервер обновлений недоступен: "_cp1251;
  return std::string(why) + error.message;
}

// The online phase, from the first mirror that serves a sound index, in the order given; either
// way the user hears why the index could not be had, and which mirror served when there are
// several.
void GoOnline(const Contained& updates, const std::string& working_folder,
              const UpdateOptions& options, UpdatePorts& ports, const PublicKey& key,
              UpdateSummary& summary) {
  const std::vector<std::string> mirrors = ServerAddresses(options.server_base);
  if (mirrors.empty()) {
    common::Error none{
        common::ErrorCode::kNetwork,
        common::Cp1251FromUtf8("Сервер обновлений не задан: обновите каталог из локальной папки "
                               "с пакетами (переменная TRUBKOM_UPDATE_SERVER задаёт сервер)")};
    ports.status.Append(none.message);
    summary.server_problem = none;
    return;
  }
  for (std::size_t i = 0; i < mirrors.size() && !Cancelled(ports); ++i) {
    UpdateOptions mirror = options;
    mirror.server_base = mirrors[i];
    const bool last = i + 1 == mirrors.size();
    common::Status online = CheckConnection(mirror.server_base, mirror.proxy, mirror.use_proxy);
    common::Result<common::StringList> not_downloaded =
        online ? OnlinePhase(updates, working_folder, mirror, MirrorsAfter(mirrors, i), ports, key)
                     .Run()
               : common::Result<common::StringList>(online.error());
    common::Status index =
        not_downloaded ? common::Status() : common::Status(not_downloaded.error());
    if (not_downloaded) {
      summary.failed += static_cast<int>(not_downloaded->size());
      summary.not_downloaded = std::move(*not_downloaded);
    }
    if (index) {
      summary.server_problem.reset();
      if (mirrors.size() > 1) {
        ports.status.Append(std::string("Список апдейтов получен с "_cp1251) +
                            common::Cp1251FromUtf8(mirror.server_base));
      }
      return;
    }
    if (index.error().code == common::ErrorCode::kCancelled) return;
    summary.server_problem = index.error();
    std::string line = IndexProblemLine(index.error(), options.use_proxy, online.ok());
    if (last || !TriesTheNextMirror(index.error())) {
      ports.status.Append(line);
      return;
    }
    ports.status.Append(common::Cp1251FromUtf8(mirror.server_base) + ": " + line +
                        std::string("; пробуем следующее зеркало"_cp1251));
  }
}

// updates_fd is the updates folder the packages were listed from, or -1 for a folder the user
// chose.
std::string DateOf(const std::string& package) {
  return common::DateCodeOf(PackageBaseName(package));
}

// The date code of the oldest of the packages named; empty text for none.
std::string OldestOf(const common::StringList& names) {
  std::string oldest;
  for (const std::string& name : names) {
    const std::string date = DateOf(name);
    if (oldest.empty() || common::CompareUpdateDates(date, oldest) < 0) oldest = date;
  }
  return oldest;
}

void ApplyAll(const std::vector<std::string>& packages, const std::string& working_folder,
              int updates_fd, UpdatePorts& ports, const OpeningKeys& keys, UpdateSummary& summary) {
  std::vector<bool> applied_before;
  for (const std::string& package : packages) {
    applied_before.push_back(LooksApplied(package, working_folder));
  }
  const auto pending =
      static_cast<int>(std::count(applied_before.begin(), applied_before.end(), false));
  // April's files never overwrite May's: a package dated before the newest one applied is not
  // applied by a run, and the packages after one that could not be had or applied wait for it.
  std::string newest_applied;
  for (std::size_t i = 0; i < packages.size(); ++i) {
    if (applied_before[i]) newest_applied = DateOf(packages[i]);
  }
  std::string waited_for = OldestOf(summary.not_downloaded);
  int number = 0;
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const std::string& package = packages[i];
    if (Cancelled(ports)) break;
    if (!applied_before[i] && !newest_applied.empty() &&
        common::CompareUpdateDates(DateOf(package), newest_applied) < 0) {
      ++summary.failed;
      ports.status.Append(std::string("Апдейт от "_cp1251) + common::DisplayDate(DateOf(package)) +
                          std::string(" не установлен: он старше установленного от "_cp1251) +
                          common::DisplayDate(newest_applied));
      continue;
    }
    if (!applied_before[i] && !waited_for.empty() &&
        common::CompareUpdateDates(DateOf(package), waited_for) > 0) {
      ports.status.Append(std::string("Апдейт от "_cp1251) + common::DisplayDate(DateOf(package)) +
                          std::string(" ждёт установки апдейта от "_cp1251) +
                          common::DisplayDate(waited_for));
      continue;
    }
    if (ports.package_started && !applied_before[i]) {
      ports.package_started(false, common::DateCodeOf(PackageBaseName(package)), ++number, pending);
    }
    auto outcome = ApplyPackage(package, working_folder,
                                {ports.status, ports.messages, ports.shell, ports.watch}, keys);
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
    if (outcome.error().code == common::ErrorCode::kRefused && updates_fd >= 0) {
      std::string name(common::FileNameOf(package));
      ::renameat(updates_fd, name.c_str(), updates_fd, (name + ".rejected").c_str());
    }
    if (StopsTheRun(outcome.error())) break;
    if (waited_for.empty()) waited_for = DateOf(package);
  }
}

}  // namespace

namespace {

// Root updating a catalogue that others may write in (writable by them, or theirs) works on
// files they may have planted: it goes on, as the files it writes are contained and keep no
// special bits, but the log says so, once a run.
void NoteSharedFolder(const std::string& working_folder, UpdatePorts& ports) {
  struct stat info;
  if (::geteuid() != 0 || ::stat(working_folder.c_str(), &info) != 0) return;
  if ((info.st_mode & 0022) == 0 && info.st_uid == 0) return;
  ports.status.Append(
      common::Cp1251FromUtf8("Внимание: каталог обновляется от имени root, а в папку " +
                             working_folder + " могут писать другие пользователи"));
}

}  // namespace

UpdateSummary RunUpdate(const std::string& working_folder, const UpdateOptions& options,
                        UpdatePorts ports, const OpeningKeys& keys) {
  ports.status.Clear();
  UpdateSummary summary;
  // Held to the end of the run, so that no other update appends the same lines meanwhile.
  // A lock file that cannot be made (updates/ a link out, a catalogue without write permission)
  // fails the run below, where it says why.
  common::Result<UpdateLock> lock = UpdateLock::Take(working_folder, options.lock_wait);
  if (!lock && lock.error().code == common::ErrorCode::kBusy) {
    ports.status.Append(lock.error().message);
    summary.not_run = lock.error();
    return summary;
  }
  NoteSharedFolder(working_folder, ports);
  // Reached beneath the catalogue folder, as every file the run writes (contained_path.h), and
  // made for the downloads when missing.
  auto updates =
      OpenFolderInside(working_folder, "updates",
                       options.local_folder ? MissingFolders::kLeave : MissingFolders::kCreate);
  if (updates) {
    common::RemoveStaleTemporaries(updates->folder.get());       // of a killed run
    ::unlinkat(updates->folder.get(), "journal", AT_REMOVEDIR);  // only when it is empty
  }
  common::RemoveAbandonedPrivateFolders(kWorkingFolderPrefix);  // and its decrypted packages
  std::vector<std::string> packages;
  if (options.local_folder) {
    std::string chosen = ports.folders.ChooseFolder(working_folder);
    if (chosen.empty()) {
      ports.status.Append(std::string("Папка с пакетами не выбрана"_cp1251));
      return summary;
    }
    packages = PackagesIn(chosen);
  } else if (!updates) {
    // Nothing is fetched into a folder that cannot be had, nor applied from it.
    ports.status.Append(std::string("Апдейты не скачаны: "_cp1251) + updates.error().message);
    summary.server_problem = updates.error();
    return summary;
  } else {
    GoOnline(*updates, working_folder, options, ports, keys.public_key, summary);
    packages = PackagesIn(*updates, working_folder);
  }
  SortByDate(packages);
  const int updates_fd = options.local_folder ? -1 : updates->folder.get();
  ApplyAll(packages, working_folder, updates_fd, ports, keys, summary);
  if (options.local_folder && summary.applied == 0 && summary.failed == 0 && !Cancelled(ports)) {
    ports.status.Append(std::string("В папке нет новых пакетов"_cp1251));
  }
  if (summary.applied > 0) {
    ports.status.Append(std::string("Установлено пакетов: "_cp1251) +
                        std::to_string(summary.applied));
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
