#include "update/update_script.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/page_address.h"
#include "common/paths.h"
#include "update/contained_path.h"
#include "update/update_lock.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

// A command line: the keyword at the first character, one blank, then the arguments; commands
// with two arguments split them at the first occurrence of their separator word.
struct Command {
  std::string_view keyword;
  std::string_view separator;  // empty for one-argument commands
};

constexpr Command kAddFile{"ADDFILE", " TO "};
constexpr Command kAddToFile{"ADDTOFILE", " TO "};
constexpr Command kReplaceFile{"REPLACEFILE", " WITH "};
constexpr Command kDeleteFile{"DELETEFILE", ""};
constexpr Command kMessage{"MESSAGE", ""};
constexpr Command kUrlMessage{"URLMESSAGE", " URL "};

struct Arguments {
  std::string first;
  std::string second;
};

// The arguments, or false when the line lacks the command's separator.
bool Parse(std::string_view line, const Command& command, Arguments& out) {
  std::size_t first_at = std::min(command.keyword.size() + 1, line.size());
  if (command.separator.empty()) {
    out.first = line.substr(first_at);
    return true;
  }
  std::size_t at = line.find(command.separator);
  if (at == std::string_view::npos) return false;
  out.first = at > first_at ? line.substr(first_at, at - first_at) : std::string_view();
  out.second = line.substr(at + command.separator.size());
  return true;
}

std::string Slashed(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

// The full path the status lines show: the catalogue folder (UTF-8, as the file system names
// it) in the line's Windows-1251, joined to the name as the script writes it.
std::string Shown(const std::string& catalogue_folder, const std::string& name) {
  return common::Cp1251FromUtf8(common::WithTrailingSlash(catalogue_folder)) + Slashed(name);
}

std::string FileNamePart(const std::string& name) {
  std::size_t slash = name.find_last_of("\\/");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

ScriptStep Refused(std::string_view line) {
  ScriptStep step;
  step.action = ScriptAction::kRefused;
  step.status_line = std::string("Команда отклонена: "_cp1251) + std::string(line);
  return step;
}

ScriptStep Nothing() { return {.action = ScriptAction::kNothing}; }

// Whether path (as resolved inside the catalogue) is one of the update run's own records in
// updates/: the server's index and its signature, serial and validators, the journal, a download
// in part, the lock. A package that could write them could forge its own history or the next
// run's requests, so a line that names one is refused as one that leads out.
bool IsUpdaterRecord(const std::string& catalogue, const std::string& path) {
  const std::string prefix = common::WithTrailingSlash(catalogue);
  if (!path.starts_with(prefix)) return false;
  const std::string relative = common::AsciiLowered(path.substr(prefix.size()));
  if (!relative.starts_with("updates/")) return false;
  const std::string name = relative.substr(std::string_view("updates/").size());
  return name.starts_with("index.") || name.starts_with("journal/") || name == "journal" ||
         name.find(".part") != std::string::npos || name == kUpdateLockFile;
}

// The step of a line that names a source and a target, with where performing finds them.
ScriptStep FileStep(ScriptAction action, const std::string& source, const std::string& target,
                    const std::string& source_name, const std::string& target_name,
                    const std::string& sources, const std::string& catalogue) {
  return {.action = action,
          .source = source,
          .target = target,
          .source_folder = sources,
          .source_name = source_name,
          .catalogue_folder = catalogue,
          .target_name = target_name};
}

ScriptStep PlanAddFile(std::string_view line, const Arguments& args, const std::string& sources,
                       const std::string& catalogue) {
  std::string name = FileNamePart(args.first);
  auto source = PathInside(sources, args.first);
  auto folder = PathInside(catalogue, args.second);
  auto target = PathInside(catalogue, args.second + name);
  if (!source || !folder || !target || IsUpdaterRecord(catalogue, *target)) {
    ScriptStep refused = Refused(line);
    refused.added_name = name;
    return refused;
  }
  if (common::IsFile(*target)) return Nothing();
  ScriptStep step = FileStep(ScriptAction::kAdd, *source, *target, args.first, args.second + name,
                             sources, catalogue);
  step.added_name = name;
  if (!IsFolder(*folder)) step.create_folder = *folder;
  step.status_line = std::string("Добавляем "_cp1251) + name + std::string(" в "_cp1251) +
                     Shown(catalogue, args.second);
  return step;
}

// ADDTOFILE, REPLACEFILE: a payload file and an existing catalogue file.
ScriptStep PlanChange(std::string_view line, ScriptAction action, const std::string& source_name,
                      const std::string& target_name, const std::string& sources,
                      const std::string& catalogue) {
  auto source = PathInside(sources, source_name);
  auto target = PathInside(catalogue, target_name);
  if (!source || !target || IsUpdaterRecord(catalogue, *target)) return Refused(line);
  if (!common::IsFile(*target)) return Nothing();
  // A replacement the package lacks replaces nothing, and is not said to.
  if (action == ScriptAction::kReplace && !common::IsFile(*source)) return Nothing();
  ScriptStep step =
      FileStep(action, *source, *target, source_name, target_name, sources, catalogue);
  if (action == ScriptAction::kReplace) {
    step.status_line = std::string("Заменяем "_cp1251) + Shown(catalogue, target_name);
  }
  return step;
}

ScriptStep PlanDelete(std::string_view line, const std::string& name,
                      const std::string& catalogue) {
  auto target = PathInside(catalogue, name);
  if (!target || IsUpdaterRecord(catalogue, *target)) return Refused(line);
  if (!common::IsFile(*target)) return Nothing();
  return {.action = ScriptAction::kDelete,
          .target = *target,
          .catalogue_folder = catalogue,
          .target_name = name,
          .status_line = std::string("Удаляем "_cp1251) + Shown(catalogue, name)};
}

// The largest payload file a line copies: as large as an unpacked archive entry may be.
constexpr std::size_t kPayloadFileCap = std::size_t{256} << 20;

// The bytes written beside target and renamed over it, with the mode given (else a new file's).
common::Status WriteWhole(const common::FileAt& target, std::string_view bytes,
                          std::optional<mode_t> mode, bool sync_folder) {
  common::PendingFile file(target);
  if (mode) {
    if (common::Status set = file.SetMode(*mode); !set) return set;
  }
  if (common::Status written = file.Write(bytes); !written) return written;
  return file.Commit(sync_folder);
}

// Whether the entry found is a regular file (after the resolution, never a link).
bool IsFileThere(const Contained& found) {
  struct stat info;
  return found.Whole() &&
         ::fstatat(found.folder.get(), found.rest.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) ==
             0 &&
         S_ISREG(info.st_mode);
}

// A target whose folder went missing since the plan cannot be written.
common::Status NeedWhole(const Contained& target, const std::string& catalogue) {
  if (target.Whole()) return {};
  return common::WriteError(ENOENT, target.Path(catalogue));
}

// The mode a replaced or appended target keeps: its permission bits, but never write permission
// for the group or others that the catalogue's own folder does not give them, so that a file
// another user planted writable in a shared catalogue does not stay theirs to write after root
// replaced it.
std::optional<mode_t> KeptMode(const common::FileAt& target, const std::string& catalogue) {
  std::optional<mode_t> mode = common::ModeOf(target);
  struct stat folder;
  if (mode && ::stat(catalogue.c_str(), &folder) == 0) *mode &= ~(0022 & ~folder.st_mode);
  return mode;
}

// The payload file put in place of the target: as a second name of the unpacked file where the
// working folder is on the catalogue's file system, which spares writing its bytes again, else
// as a copy written beside the target. Either way it is renamed into place whole. A payload
// that is missing leaves the target as it is.
common::Status CopyFile(const common::FileAt& source, const common::FileAt& target,
                        const std::string& catalogue, bool sync_folder) {
  std::optional<mode_t> kept = KeptMode(target, catalogue);
  if (common::LinkFileAtomically(source, target, sync_folder, kept)) return {};
  auto bytes = common::ReadFile(source, kPayloadFileCap);
  if (!bytes) return bytes.error();
  return WriteWhole(target, *bytes, kept, sync_folder);
}

common::Status AppendLines(const Contained& source, const common::FileAt& target,
                           const std::string& sources, const std::string& catalogue,
                           bool sync_folder) {
  // A target that cannot be read is not emptied: the step stops with the reason.
  auto target_bytes = common::ReadFile(target);
  if (!target_bytes) return target_bytes.error();
  common::StringList lines = common::SplitLinesAtAnyEnd(*target_bytes);
  if (IsFileThere(source)) {
    auto source_bytes = common::ReadFile(source.At(sources), kPayloadFileCap);
    if (!source_bytes) return source_bytes.error();
    for (std::string& line : common::SplitLinesAtAnyEnd(*source_bytes)) {
      lines.push_back(std::move(line));
    }
  }
  return WriteWhole(target, common::JoinWithCrLf(lines), KeptMode(target, catalogue), sync_folder);
}

common::Status DeleteFile(const Contained& target, const std::string& catalogue) {
  // Gone already is as good as deleted: a run resumed after a kill meets that.
  if (!target.Whole()) return {};
  common::FileAt at = target.At(catalogue);
  if (::unlinkat(at.folder, at.name.c_str(), 0) != 0 && errno != ENOENT) {
    return common::SystemError(errno, "Не удалось удалить", at.path, true);
  }
  return {};
}

// A step that changes a catalogue file. Its target is looked up again from the catalogue
// folder (its missing folders made, for ADDFILE, each beneath the one before) and its source
// from the working folder; the work is done on the folders reached.
common::Status PerformFileStep(const ScriptStep& step, ScriptPorts ports, bool sync_folder) {
  const std::string& catalogue = step.catalogue_folder;
  auto target = ResolveInside(
      catalogue, step.target_name,
      step.action == ScriptAction::kAdd ? MissingFolders::kCreate : MissingFolders::kLeave);
  if (!target) return target.error();
  if (!step.status_line.empty()) ports.status.Append(step.status_line);
  if (step.action == ScriptAction::kDelete) return DeleteFile(*target, catalogue);
  if (common::Status whole = NeedWhole(*target, catalogue); !whole) return whole;
  auto source = ResolveInside(step.source_folder, step.source_name);
  if (!source) return source.error();
  if (step.action == ScriptAction::kAppend) {
    return AppendLines(*source, target->At(catalogue), step.source_folder, catalogue, sync_folder);
  }
  if (!IsFileThere(*source)) return {};
  return CopyFile(source->At(step.source_folder), target->At(catalogue), catalogue, sync_folder);
}

}  // namespace

std::string OpenableAddress(std::string_view address) {
  std::string lower = common::AsciiLowered(address.substr(0, 8));
  if (lower.starts_with("http://") || lower.starts_with("https://") ||
      lower.starts_with("mailto:")) {
    return common::DesktopAddress(address);
  }
  // Written as people write addresses: "www.example.ru" is a web address.
  if (lower.starts_with("www.")) return "http://" + std::string(address);
  return {};
}

bool IsWebAddress(std::string_view address) { return !OpenableAddress(address).empty(); }

ScriptStep PlanScriptLine(std::string_view line, const std::string& source_folder,
                          const std::string& catalogue_folder) {
  Arguments args;
  // A line names a command when it begins with its keyword; as no keyword begins another, at
  // most one matches. A command without its separator is ignored.
  auto is = [&](const Command& command) {
    return line.starts_with(command.keyword) && Parse(line, command, args);
  };
  if (is(kAddFile)) return PlanAddFile(line, args, source_folder, catalogue_folder);
  if (is(kAddToFile)) {
    return PlanChange(line, ScriptAction::kAppend, args.first, args.second, source_folder,
                      catalogue_folder);
  }
  if (is(kReplaceFile)) {
    return PlanChange(line, ScriptAction::kReplace, args.second, args.first, source_folder,
                      catalogue_folder);
  }
  if (is(kDeleteFile)) return PlanDelete(line, args.first, catalogue_folder);
  if (is(kMessage)) return {.action = ScriptAction::kMessage, .text = args.first};
  if (is(kUrlMessage)) {
    return {.action = ScriptAction::kUrlMessage, .text = args.first, .address = args.second};
  }
  return {};
}

common::Status PerformScriptStep(const ScriptStep& step, ScriptPorts ports, bool sync_folder) {
  switch (step.action) {
    case ScriptAction::kAdd:
    case ScriptAction::kReplace:
    case ScriptAction::kAppend:
    case ScriptAction::kDelete:
      return PerformFileStep(step, ports, sync_folder);
    case ScriptAction::kMessage:
      ports.messages.Inform(step.text);
      return {};
    case ScriptAction::kUrlMessage:
      if (ports.messages.Confirm(step.text) && IsWebAddress(step.address)) {
        ports.shell.Open(OpenableAddress(step.address));
      }
      return {};
    case ScriptAction::kRefused:
      ports.status.Append(step.status_line);
      return {};
    case ScriptAction::kIgnored:
    case ScriptAction::kNothing:
      return {};
  }
  return {};
}

void FlushTargetFolder(const ScriptStep& step) {
  auto target = ResolveInside(step.catalogue_folder, step.target_name);
  if (target) common::SyncFolder(target->folder.get());
}

void SweepTargetFolder(const ScriptStep& step) {
  auto target = ResolveInside(step.catalogue_folder, step.target_name);
  if (target && target->Whole()) common::RemoveStaleTemporaries(target->folder.get());
}

common::Status ExecuteScriptLine(std::string_view line, const std::string& source_folder,
                                 const std::string& catalogue_folder, ScriptPorts ports) {
  return PerformScriptStep(PlanScriptLine(line, source_folder, catalogue_folder), ports);
}

}  // namespace trubkom::update
