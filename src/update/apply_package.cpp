#include "update/apply_package.h"

#include <map>
#include <set>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/private_folder.h"
#include "update/apply_journal.h"
#include "update/contained_path.h"
#include "update/package.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

bool ChangesCatalogue(ScriptAction action) {
  return action != ScriptAction::kIgnored && action != ScriptAction::kRefused &&
         action != ScriptAction::kNothing;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// A package whose archive holds entries that were left out is not run: its scripts would find
// files missing and leave the catalogue half updated.
common::Error Incomplete(const ExtractReport& extraction) {
  std::string first = extraction.problems.empty() ? "" : extraction.problems.front();
  return {common::ErrorCode::kDamaged,
          common::Cp1251FromUtf8("в архиве пакета есть поврежденные или недопустимые файлы (" +
                                 first + ")")};
}

// Adding, replacing and deleting give the same result done once or twice.
bool Repeatable(ScriptAction action) {
  return action == ScriptAction::kAdd || action == ScriptAction::kReplace ||
         action == ScriptAction::kDelete;
}

// Consecutive lines that add, replace or delete files no other line among them touches (names
// compared with letter case ignored, as they are looked up) form a batch. Done again from its
// first line over whatever a cut run left, a batch ends as it would have: each line finds its
// own file either as it was or as the line left it and gives the same result again, and no line
// changes what another one sees. So the journal names only a batch's first line, not every
// line, and the names a batch renamed into its folders are flushed to disk once, when it ends,
// before the journal moves past it or goes; each file's own bytes are flushed before it is
// renamed into place. Any other line (an append, a message, or one that does nothing or is
// refused, whose outcome depends on files a batch may change) ends the batch; one that changes
// the catalogue is journalled on its own.
class Batch {
 public:
  // Whether the step may join the batch under way.
  bool Joins(const ScriptStep& step) {
    return !targets_.empty() && Repeatable(step.action) &&
           targets_.insert(common::AsciiLowered(step.target)).second;
  }

  // Ends the batch under way (its folders flushed) and starts one with step when it can join
  // one later.
  void StartWith(const ScriptStep& step) {
    End();
    if (Repeatable(step.action)) targets_.insert(common::AsciiLowered(step.target));
  }

  // The step's folder is to be flushed when the batch ends. (A folder a step creates is
  // flushed into its parent as it is made.)
  void Performed(const ScriptStep& step) {
    if (!step.target.empty()) folders_.emplace(FolderOf(step.target), step);
  }

  void End() {
    for (const auto& [folder, step] : folders_) FlushTargetFolder(step);
    folders_.clear();
    targets_.clear();
  }

 private:
  std::set<std::string> targets_;  // lower-cased
  // Changed and not flushed yet, each with a step whose target is in it.
  std::map<std::string, ScriptStep> folders_;
};

// Whether the step adds the package's marker, "<base name>.new", as the package's own script
// does to updates/.
bool AddsMarker(const ScriptStep& step, const std::string& package_path) {
  return common::EqualsIgnoringAsciiCase(step.added_name, PackageBaseName(package_path) + ".new");
}

// A package whose marker cannot be written would be applied again on every run; it is said not
// to be installed instead, and its journal keeps the marker's line for the run that can.
common::Error MarkerRefused() {
  return {common::ErrorCode::kWriteFailed,
          std::string("отметка об установке пакета не записана: команда отклонена"_cp1251)};
}

// Decrypted in memory and unpacked from there: the archive is never written to disk, and its
// memory goes before the scripts run. The package's digest goes to digest.
common::Result<ExtractReport> Unpack(const std::string& package_path, const OpeningKeys& keys,
                                     const std::string& work, const ExtractLimits& limits,
                                     std::string& digest) {
  auto package = OpenPackageFile(package_path, keys);
  if (!package) return package.error();
  digest = package->digest;
  return ExtractArchiveBytes(package->archive, work, limits);
}

// Runs the lines of the package's scripts from where the journal says an earlier run stopped.
// A run that was killed may have left temporary files beside the targets and the journal;
// they go before the lines run again. A line that cannot be done (or journalled) stops the
// package with the journal at that line, so the next run does it again from there.
common::Status RunScripts(const std::string& package_path, const std::vector<std::string>& scripts,
                          const std::string& work, const std::string& catalogue_folder,
                          ScriptPorts ports, ApplyJournal& journal) {
  std::set<std::string> swept = {FolderOf(journal.path())};
  journal.SweepFolder();
  Batch batch;
  std::size_t number = 0;
  for (const std::string& script : scripts) {
    auto lines = common::ReadFile(common::JoinPath(work, script));
    if (!lines) return lines.error();
    for (const std::string& line : common::SplitLinesAtAnyEnd(*lines)) {
      std::size_t current = number++;
      if (current < journal.LinesDone()) continue;
      ScriptStep step = PlanScriptLine(line, work, catalogue_folder);
      if (step.action == ScriptAction::kIgnored) continue;  // no command: nothing to do
      if (!step.target.empty() && swept.insert(FolderOf(step.target)).second) {
        SweepTargetFolder(step);
      }
      if (!batch.Joins(step)) {
        batch.StartWith(step);
        common::Status journalled;
        if (step.action == ScriptAction::kAppend) {
          if (journal.AppendDone(current, step.target_name)) continue;
          journalled = journal.BeforeAppend(current, step.target_name);
        } else if (ChangesCatalogue(step.action)) {
          journalled = journal.StartLine(current);
        }
        if (!journalled) return journalled;
      }
      common::Status performed = PerformScriptStep(step, ports, /*sync_folder=*/false);
      batch.Performed(step);
      if (!performed) return performed;
      if (step.action == ScriptAction::kRefused && AddsMarker(step, package_path)) {
        if (common::Status journalled = journal.StartLine(current); !journalled) return journalled;
        return MarkerRefused();
      }
    }
  }
  batch.End();
  return {};
}

}  // namespace

bool LooksApplied(const std::string& package_path, const std::string& catalogue_folder) {
  // A journal means a run was cut short, even when the marker came before its end; whether it
  // is this package's is known once the package is read.
  return IsFileInside(catalogue_folder, "updates/" + PackageBaseName(package_path) + ".new") &&
         !ApplyJournal::PresentFor(catalogue_folder, package_path);
}

std::vector<std::string> UpdateScripts(const std::string& folder) {
  std::vector<std::string> scripts;
  for (const std::string& name : common::ListFiles(folder, "*.tkm")) {
    if (common::AsciiLowered(name).starts_with("upd")) scripts.push_back(name);
  }
  return scripts;
}

common::Result<ApplyOutcome> ApplyPackage(const std::string& package_path,
                                          const std::string& catalogue_folder, ScriptPorts ports,
                                          const OpeningKeys& keys, const ExtractLimits& limits) {
  ApplyOutcome outcome;
  const bool marked =
      IsFileInside(catalogue_folder, "updates/" + PackageBaseName(package_path) + ".new");
  if (LooksApplied(package_path, catalogue_folder)) {
    outcome.already_applied = true;
    return outcome;
  }
  common::PrivateFolder work(kWorkingFolderPrefix);
  if (!work.ok()) {
    return common::Error{
        common::ErrorCode::kWriteFailed,
        std::string("не удалось создать рабочую папку во временной папке системы"_cp1251)};
  }
  std::string digest;
  auto extraction = Unpack(package_path, keys, work.path(), limits, digest);
  if (!extraction) return extraction.error();
  ApplyJournal journal(catalogue_folder, package_path, digest);
  if (marked && !journal.Exists()) {
    outcome.already_applied = true;
    return outcome;
  }
  if (!extraction->Complete()) return Incomplete(*extraction);
  outcome.scripts = UpdateScripts(work.path());
  if (common::Status ran =
          RunScripts(package_path, outcome.scripts, work.path(), catalogue_folder, ports, journal);
      !ran) {
    return ran.error();
  }
  if (ports.watch) {
    const std::string date_code = common::DateCodeOf(PackageBaseName(package_path));
    if (common::Status recorded = ports.watch->Applied(date_code); !recorded) {
      return recorded.error();
    }
  }
  if (common::Status finished = journal.Finish(); !finished) return finished.error();
  ports.status.Append("");
  return outcome;
}

}  // namespace trubkom::update
