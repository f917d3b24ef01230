#include "update/apply_package.h"

#include "common/ascii.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/private_folder.h"
#include "update/package.h"

namespace trubkom::update {

std::string PackageBaseName(const std::string& package_path) {
  std::size_t slash = package_path.find_last_of('/');
  std::string name = slash == std::string::npos ? package_path : package_path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::vector<std::string> UpdateScripts(const std::string& folder) {
  std::vector<std::string> scripts;
  for (const std::string& name : common::ListFiles(folder, "*.tkm")) {
    if (common::AsciiLowered(name).starts_with("upd")) scripts.push_back(name);
  }
  return scripts;
}

ApplyOutcome ApplyPackage(const std::string& package_path, const std::string& catalogue_folder,
                          ScriptPorts ports, const OpeningKeys& keys, const ExtractLimits& limits) {
  ApplyOutcome outcome;
  std::string marker = "updates/" + PackageBaseName(package_path) + ".new";
  if (common::FileExistsIn(catalogue_folder, marker)) {
    outcome.result = ApplyResult::kAlreadyApplied;
    return outcome;
  }
  common::PrivateFolder work("trubkom-update-");
  if (!work.ok()) {
    outcome.result = ApplyResult::kNoWorkingFolder;
    return outcome;
  }
  // Decrypted in memory and unpacked from there: the archive is never written to disk.
  auto zip = OpenPackageFile(package_path, keys);
  if (!zip) return outcome;
  outcome.extraction = ExtractArchiveBytes(*zip, work.path(), limits);
  zip.reset();
  if (!outcome.extraction.Complete()) {
    outcome.result = ApplyResult::kIncomplete;
    return outcome;
  }
  for (const std::string& script : UpdateScripts(work.path())) {
    outcome.scripts.push_back(script);
    auto lines = common::ReadLinesAtAnyEnd(common::JoinPath(work.path(), script));
    for (const std::string& line : lines.value_or(common::StringList{})) {
      ExecuteScriptLine(line, work.path(), catalogue_folder, ports);
    }
  }
  ports.status.Append("");
  outcome.result = ApplyResult::kApplied;
  return outcome;
}

}  // namespace trubkom::update
