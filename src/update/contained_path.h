#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_at.h"
#include "common/result.h"
#include "common/unique_fd.h"

// Names inside a root folder (the catalogue, a package's working folder), resolved from an open
// descriptor of the root one component at a time, each existing component in the spelling found
// on disk (letter case ignored, as common::ResolvePath has it). A symbolic link on the way is
// followed when its target stays beneath the root, the catalogue's own links to other folders of
// it included; one that leads out (a ".." above the root, an absolute target, as the system's
// own rule for resolving beneath a folder has it) is refused, and so is a name as written with
// an absolute start or a ".." component, and one whose ".." comes below a missing folder. Every
// folder on the way is opened without following a link, from the folder before it (or, where the
// kernel can, with openat2 beneath the root), so the folder reached is beneath the root whatever
// links are swapped meanwhile: callers do their work on it with the "...at" calls, and never look
// the path up again.
namespace trubkom::update {

// Where a name inside a root leads.
struct Contained {
  // The deepest folder of the name that exists, reached beneath the root.
  common::UniqueFd folder;
  // Its path under the root, links followed, as spelled on disk; empty for the root itself.
  std::string folder_path;
  // The name's components below folder, links followed: its entry there (as spelled on disk
  // when it exists, else as given), or, when folders on the way are missing, the components
  // from the first missing folder on. Empty when the name is folder itself.
  std::vector<std::string> rest;

  // Whether folder holds the entry itself: every folder on the way exists.
  bool Whole() const { return rest.size() == 1; }
  // The resolved path under root, for messages and the plan's display.
  std::string Path(const std::string& root) const;
  // The entry in its folder; only when Whole().
  common::FileAt At(const std::string& root) const;
};

enum class MissingFolders {
  kLeave,   // stop at the first missing folder (Contained::rest then says what is missing)
  kCreate,  // create the missing folders on the way, each one beneath the one before
};

// The entry that relative ('\' read as '/') names inside root, which is opened as its path says
// (links in the root's own path are the user's choice). The error says why it cannot be had:
// kNoPermission when the name leads out of root, or the system's reason (a file where a folder
// belongs, a folder that cannot be made, a loop of links).
common::Result<Contained> ResolveInside(const std::string& root, std::string_view relative,
                                        MissingFolders missing = MissingFolders::kLeave);

// The folder that relative names inside root, opened (rest empty, folder_path its path): created
// with its missing parents when missing is kCreate. An empty relative name is root itself.
common::Result<Contained> OpenFolderInside(const std::string& root, std::string_view relative,
                                           MissingFolders missing = MissingFolders::kLeave);

// The path of relative inside root as resolved now, for a plan to show and to judge; no value
// when the name leads out of root. A name that cannot be resolved for another reason gives its
// path as written (the work then meets that reason and says it).
std::optional<std::string> PathInside(const std::string& root, std::string_view relative);

// Whether relative names a regular file inside root, by the rules above.
bool IsFileInside(const std::string& root, std::string_view relative);

// Tests resolve both ways on a kernel that has openat2: with it (the default) and, after
// UseOpenat2(false), the way older kernels need.
void UseOpenat2(bool use);
// Calls hook(name) just before the walk opens each folder, after it looked at the one before:
// the moment another user's swap hurts most, which a test can then make happen for certain.
// Null: no hook (the default). Set only while no walk runs.
void SetBeforeFolderOpenForTesting(void (*hook)(const std::string& name));

}  // namespace trubkom::update
