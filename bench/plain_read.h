#pragma once

#include <string>
#include <vector>

// The physical floor of every benchmark that reads catalogue files: a plain open() and read()
// of the same files into one buffer, nothing else.
namespace trubkom::bench {

// The paths of the files of folder whose names match mask, in listing order.
std::vector<std::string> FilesIn(const std::string& folder, const std::string& mask);

// Reads every file, with as many threads as the program reads them: a large file in parts side
// by side, many files shared among threads; the bytes read in all. One thread's files go into
// buffer, one after the other.
std::size_t PlainRead(const std::vector<std::string>& paths, std::string& buffer);

}  // namespace trubkom::bench
