#pragma once

#include <string>

#include "common/result.h"

namespace trubkom::catalogue {

// The two base folders. Catalogue paths (Base, Templates, Pics, adv, updates) are relative to
// the working folder; config.tkm and the files its advertising names are relative to the
// program's folder. Both are absolute and have no trailing '/'. The pages the program writes
// (temp.html and the others) go to the catalogue's Templates folder, or, for a catalogue that
// cannot be written, to a private folder of the user's that mirrors it (private_pages.h).
struct Folders {
  std::string working;
  std::string program;
  std::string pages = std::string();  // empty: the working folder's Templates
};

// The folder the program's pages are written to.
std::string PagesFolder(const Folders& folders);

// Whether folder holds a catalogue: a Base or a Templates folder in it, letter case ignored.
// A folder with neither is a place the program was merely started in (a home folder, /tmp).
bool IsCatalogueFolder(const std::string& folder);
// Whether folder holds a catalogue's data: the model index (Base/base.tkm) or a brand file
// (Base/*_new.xml). The program starts only on such a folder: a home folder with a Templates
// folder of its own (an English-language desktop has one) is no catalogue.
bool HoldsCatalogueData(const std::string& folder);

// Whether the program can write what it writes in the catalogue: the update run's files in the
// working folder, the pages in its Templates folder (when there is one: a catalogue without it
// has no pages to write). The error names the first folder that refuses and why.
common::Status CheckCatalogueWritable(const std::string& working_folder);

// Where an installed program keeps its own files, relative to its executable's folder
// ("../share/trubkom" for the usual layout of bin/ and share/).
extern const char* const kInstalledProgramFolder;

// The program's folder: config.tkm, the files its advertising names, and the demo catalogue in
// its folder "catalogue". An installed program has them at kInstalledProgramFolder from its
// executable; a program run where it was built (or copied with its files) has them beside it.
// The first of the two that holds config.tkm, without "..", else the executable's folder.
std::string ProgramFolder(const std::string& executable_folder);

// The demo catalogue that comes with the program, in its folder; it is never written.
std::string DemoCatalogueFolder(const std::string& program_folder);

// The demo update packages an installed demo build comes with, "demo-updates" in its folder, or
// empty text when the program has none.
std::string DemoUpdatesFolder(const std::string& program_folder);

}  // namespace trubkom::catalogue
