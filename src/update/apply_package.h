#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "update/archive_extraction.h"
#include "update/package_keys.h"
#include "update/package_order.h"
#include "update/update_script.h"

namespace trubkom::update {

// The name of the private working folders packages are unpacked into: "<prefix><pid>-...".
inline constexpr std::string_view kWorkingFolderPrefix = "trubkom-update-";

struct ApplyOutcome {
  bool already_applied = false;      // updates/<base name>.new exists in the catalogue: skipped
  std::vector<std::string> scripts;  // the scripts run, in order
};

// Whether the package is applied already as far as the catalogue shows without reading it: its
// marker updates/<base name>.new is there and no journal of it. ApplyPackage skips such a one.
bool LooksApplied(const std::string& package_path, const std::string& catalogue_folder);

// The update scripts of an unpacked package: the files "*.tkm" directly in folder whose
// lower-cased names begin with "upd", in listing order.
std::vector<std::string> UpdateScripts(const std::string& folder);

// Applies one package to the catalogue in catalogue_folder: verifies and decrypts it, unpacks
// it into a private working folder (mode 0700, removed afterwards with everything in it) and
// runs its scripts line by line, then appends an empty status line. A package whose archive
// does not unpack whole is not run, so it is never half applied and marked as done. The error
// says why a package was not applied: kRefused when it is not the publisher's package for its
// name (or does not open), kDamaged or kTooLarge for its archive, and the reason of the first
// file that could not be written; a package stopped while its scripts ran keeps its journal,
// and the next run goes on from the line that failed.
common::Result<ApplyOutcome> ApplyPackage(const std::string& package_path,
                                          const std::string& catalogue_folder, ScriptPorts ports,
                                          const OpeningKeys& keys = BuiltinOpeningKeys(),
                                          const ExtractLimits& limits = {});

}  // namespace trubkom::update
