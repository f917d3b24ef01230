#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/ports.h"
#include "common/result.h"
#include "common/string_ops.h"
#include "update/package_keys.h"

// The update run behind "Обновить!": fetch the update server's index of packages, download the
// packages that are missing into the working folder's updates folder, then apply every package
// not applied yet (its updates/<base name>.new marker absent), from that folder or from a folder
// the user picks. It knows no threads: the window runs it on a worker and gives it ports that
// hand over to the user-interface thread.
namespace trubkom::update {

struct UpdateOptions {
  bool local_folder = false;  // "Обновить из локальной папки"
  bool use_proxy = false;     // "Использовать прокси"
  std::string proxy;          // host:port, as typed
  // The update server's address, ending in "/"; several, separated by blanks, are mirrors
  // tried in order until one serves a sound index.
  std::string server_base;
  // Whether the server's index must come signed even before a signed one was ever seen.
  bool require_signed_index = BuiltToRequireSignedIndex();
  // How long to wait for another update of the catalogue to end before saying it is under way.
  std::chrono::milliseconds lock_wait{0};
};

struct UpdatePorts {
  common::StatusSink& status;
  common::Messages& messages;
  common::Shell& shell;
  common::FolderChooser& folders;
  // Set to stop the run: a download stops at once (a package's part is kept for the next run to
  // resume), a package whose scripts have started runs to its end, and no further package starts.
  const std::atomic<bool>* cancel = nullptr;
  // Bytes of the download under way, and its size when known (0 when not).
  std::function<void(std::uint64_t received, std::uint64_t total)> progress;
  // A package's turn in the run, among those it downloads (downloading) or applies: its date
  // code ("DDMMYY"), its place from 1, and how many they are. Packages applied before are not
  // counted. May be empty.
  std::function<void(bool downloading, const std::string& date_code, int number, int count)>
      package_started = nullptr;
  // Told when each package's scripts have run, to record what it changed. May be null.
  common::PackageWatch* watch = nullptr;
};

// What a run did, for a caller that must tell success from failure (the tool's exit status).
struct UpdateSummary {
  int applied = 0;  // packages installed
  int failed = 0;   // packages that could not be downloaded or applied
  // Why the server's index could not be had: offline, the server down, an error answer.
  std::optional<common::Error> server_problem;
  // The packages the index lists that could not be downloaded; the ones after them wait.
  common::StringList not_downloaded;
  // Why the run did nothing at all: another update of the catalogue under way (kBusy).
  std::optional<common::Error> not_run;
};

// Packages apply oldest first by the date in their names, whatever the names' order. Every
// failure is said in a status line after the lines of the run: the server or proxy that could
// not be reached, a package not downloaded or not installed (with why), a folder chooser
// cancelled, a chosen folder with nothing new; a run that installed packages ends with how many.
UpdateSummary RunUpdate(const std::string& working_folder, const UpdateOptions& options,
                        UpdatePorts ports, const OpeningKeys& keys = BuiltinOpeningKeys());

// Appends "Последнее обновление от DD.MM.YY" for the newest package in the updates folder, or
// "Обновлений не проводилось" when there is none.
void ShowLastUpdate(const std::string& working_folder, common::StatusSink& status);

}  // namespace trubkom::update
