#pragma once

#include <string>
#include <string_view>

#include "common/ports.h"
#include "common/result.h"

// The update script language: one command a line (ADDFILE, ADDTOFILE, REPLACEFILE, DELETEFILE,
// MESSAGE, URLMESSAGE), sources in the package's working folder, targets in the catalogue
// folder. A line is first planned, which reads the disk but changes nothing (the publisher's
// preview shows the plan), then performed.
namespace trubkom::update {

struct ScriptPorts {
  common::StatusSink& status;
  common::Messages& messages;
  common::Shell& shell;
  common::PackageWatch* watch = nullptr;  // told when the scripts have run; may be null
};

enum class ScriptAction {
  kIgnored,     // no keyword, or a command without its separator
  kRefused,     // a source or target outside its root: only the refusal line is shown
  kNothing,     // a well-formed command whose condition does not hold (target missing/present)
  kAdd,         // ADDFILE
  kAppend,      // ADDTOFILE
  kReplace,     // REPLACEFILE
  kDelete,      // DELETEFILE
  kMessage,     // MESSAGE
  kUrlMessage,  // URLMESSAGE
};

struct ScriptStep {
  ScriptAction action = ScriptAction::kIgnored;
  std::string source = {};         // the payload file, resolved inside the working folder
  std::string target = {};         // the catalogue file, resolved inside the catalogue folder
  std::string create_folder = {};  // ADDFILE: the missing target folder to create first
  // Where performing looks the files up again, by the same rules: the roots and the names as
  // the line gives them.
  std::string source_folder = {};
  std::string source_name = {};
  std::string catalogue_folder = {};
  std::string target_name = {};
  std::string added_name = {};   // ADDFILE: the name of the file it adds, also when refused
  std::string text = {};         // the message's text
  std::string address = {};      // URLMESSAGE: the address OK opens
  std::string status_line = {};  // appended to the status list when performed; may be empty
};

// What the line would do. Both folders are absolute, without a trailing '/'. Texts are
// Windows-1251.
ScriptStep PlanScriptLine(std::string_view line, const std::string& source_folder,
                          const std::string& catalogue_folder);

// Does what the plan says. The source and the target are looked up again from their roots
// (contained_path.h) and the work is done on the folders reached, held open, so a link swapped
// in since the plan can lead no write out of the catalogue: the step then fails. Files are
// written to a temporary file beside the target and renamed into place, so a target is never
// lost, not even when the source cannot be read. A step that cannot write (no room, no
// permission) or read what it must gives the error naming the file and the reason, and the
// target is as it was. Without sync_folder the target's folder is not flushed to disk: the
// caller flushes it (FlushTargetFolder) before it counts the step as done.
common::Status PerformScriptStep(const ScriptStep& step, ScriptPorts ports,
                                 bool sync_folder = true);

// Flushes the folder of the step's target to disk, as reached now.
void FlushTargetFolder(const ScriptStep& step);
// Removes the temporary files of killed runs (common::RemoveStaleTemporaries) beside the
// step's target.
void SweepTargetFolder(const ScriptStep& step);

common::Status ExecuteScriptLine(std::string_view line, const std::string& source_folder,
                                 const std::string& catalogue_folder, ScriptPorts ports);

// The address URLMESSAGE opens for address: http://, https:// and mailto: addresses as they
// are, "www." ones as http://; empty text for anything else, which is never opened.
std::string OpenableAddress(std::string_view address);
// True for the addresses URLMESSAGE may open.
bool IsWebAddress(std::string_view address);

}  // namespace trubkom::update
