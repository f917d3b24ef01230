#pragma once

#include <string>
#include <vector>

#include "update/archive_extraction.h"
#include "update/package_keys.h"
#include "update/update_script.h"

namespace trubkom::update {

enum class ApplyResult {
  kApplied,          // the scripts ran
  kAlreadyApplied,   // updates/<base name>.new exists in the catalogue: skipped
  kRefused,          // not the publisher's package for this name, tampered or unreadable
  kIncomplete,       // the archive did not extract whole: the scripts did not run
  kNoWorkingFolder,  // no private working folder could be made
};

struct ApplyOutcome {
  ApplyResult result = ApplyResult::kRefused;
  ExtractReport extraction;
  std::vector<std::string> scripts;  // the scripts run, in order
};

// A package's base name: its file name without the extension.
std::string PackageBaseName(const std::string& package_path);

// The update scripts of an unpacked package: the files "*.tkm" directly in folder whose
// lower-cased names begin with "upd", in listing order.
std::vector<std::string> UpdateScripts(const std::string& folder);

// Applies one package to the catalogue in catalogue_folder: verifies and decrypts it, unpacks
// it into a private working folder (mode 0700, removed afterwards with everything in it) and
// runs its scripts line by line, then appends an empty status line. A package whose archive
// does not unpack whole is not run, so it is never half applied and marked as done.
ApplyOutcome ApplyPackage(const std::string& package_path, const std::string& catalogue_folder,
                          ScriptPorts ports, const OpeningKeys& keys = BuiltinOpeningKeys(),
                          const ExtractLimits& limits = {});

}  // namespace trubkom::update
