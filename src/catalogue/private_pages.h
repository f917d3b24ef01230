#pragma once

#include <string>

#include "common/result.h"

// Where the pages of a catalogue the user cannot write go: a private folder of the user's
// (mode 0700) that holds a link to every entry of the catalogue's Templates folder, so that the
// pages written there reach the catalogue's style sheets and pictures by the same relative
// addresses as in Templates itself, while the catalogue stays untouched.
namespace trubkom::catalogue {

// The pages folder for the catalogue of working_folder under root (made when missing), one for
// each catalogue folder; its links are made anew, so that they follow the catalogue's Templates
// of now. Pages written there before are left for the next page to replace.
common::Result<std::string> PrivatePagesFolder(const std::string& working_folder,
                                               const std::string& root);

}  // namespace trubkom::catalogue
