#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/result.h"

// How far a package's scripts got, kept while they run so that a run killed half-way is
// finished, not repeated, by the next one. Script lines are counted over all scripts of the
// package in order; before each line that changes the catalogue the journal names it, and a
// resumed run starts again at that line. Every step but ADDTOFILE gives the same result when
// done twice; for an append the journal also records a hash of the target as it was, so a
// resumed run can tell whether the append took place.
//
// The journal lives in updates/journal/<base name in lower case>.progress, a folder downloads
// never write into (they take only package names), and it names the package it belongs to: the
// package's file name in lower case and a hash of its bytes. A journal of another package (an
// older one of the same name, a file put there by anyone but a run) is not taken. The journal
// and the files an append hashes are reached beneath the catalogue folder by the rules of
// contained_path.h: a journal folder that leads out of the catalogue cannot be written, and
// the package then stops before its first change.
namespace trubkom::update {

class ApplyJournal {
 public:
  // package_name is the package's file name; digest, a hash of its bytes.
  ApplyJournal(const std::string& catalogue_folder, const std::string& package_name,
               const std::string& digest);

  // The journal file of a package, whoever wrote it, as shown.
  static std::string PathFor(const std::string& catalogue_folder, const std::string& package_name);
  // Whether there is a journal file for the package, whoever wrote it.
  static bool PresentFor(const std::string& catalogue_folder, const std::string& package_name);

  const std::string& path() const { return path_; }
  // Whether a run of this package was cut short (its journal exists).
  bool Exists() const { return exists_; }
  // The line the run that was cut short was at (every line before it complete); 0 when fresh.
  std::size_t LinesDone() const { return done_; }
  // Whether line (the first not completed) is an append that the cut run already performed:
  // its target (named as under the catalogue folder) no longer has the content recorded
  // before it.
  bool AppendDone(std::size_t line, const std::string& target) const;

  // Records that the line, which changes the catalogue, is about to start (every line before it
  // being complete); for an append, BeforeAppend instead, with its target. A journal that
  // cannot be written stops the package: the line must not run unrecorded.
  common::Status StartLine(std::size_t line);
  common::Status BeforeAppend(std::size_t line, const std::string& target);
  // Removes the journal: the package is applied.
  common::Status Finish();
  // Removes the temporary files a killed run left beside the journal.
  void SweepFolder() const;

 private:
  common::Status Write();

  std::string catalogue_;
  std::string relative_;  // under the catalogue folder
  std::string path_;
  std::string owner_;  // "<name in lower case> <digest>"
  bool exists_ = false;
  std::size_t done_ = 0;
  std::optional<std::uint64_t> append_hash_;  // of line done_'s target, before the append
};

// A 64-bit FNV-1a hash of the bytes of the file relative names inside root (contained_path.h);
// 0 when it cannot be read.
std::uint64_t FileHashInside(const std::string& root, const std::string& relative);

}  // namespace trubkom::update
