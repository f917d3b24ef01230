#pragma once

#include <string>
#include <vector>

#include "common/string_ops.h"

// Which packages a run takes, and in which order. The server chooses which names its index
// lists; only package names are taken from it, each once, and packages apply oldest first,
// whatever their names' order, since a later package builds on the earlier ones.
namespace trubkom::update {

// The most package names taken from one index: far more than a publisher ever lists, far fewer
// than a hostile index could make a run fetch.
inline constexpr std::size_t kMaxIndexPackages = 1000;

// A package's base name: its file name without the extension.
std::string PackageBaseName(std::string_view package_path);

// Whether name is a package's file name: ending in ".upd" (any letter case) after at least one
// character, holding no '/', '\', NUL or "..", and not starting with '.'.
bool IsPackageName(std::string_view name);

// The package names of a server index, in its order: lines that are package names, each once
// whatever its letter case (the first spelling kept), at most kMaxIndexPackages of them.
common::StringList PackageNamesOfIndex(const common::StringList& index_lines);

// Sorts package paths by the date of their names (DDMMYY in characters 4 to 9), oldest first;
// packages of one date keep the order they had.
void SortByDate(std::vector<std::string>& package_paths);

}  // namespace trubkom::update
