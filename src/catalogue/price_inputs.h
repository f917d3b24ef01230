#pragma once

#include <string>

// What the catalogue's average prices are made from: the files of Base (the index and the brand
// files) and the shops' price lists. Their stamp tells whether anything the prices depend on has
// changed since the price history was last brought up to date, so that an update whose packages
// touch none of them records nothing without pricing a single model.
namespace trubkom::catalogue {

// A stamp of the files' names, sizes, times and inodes (the price history's own files left out):
// any file written, added, replaced or removed gives another stamp.
std::string PriceInputsStamp(const std::string& working_folder);

// A mark of the two folders themselves (their times and inodes): every file added, replaced,
// renamed or removed in them changes it, as every write of an update does (each is a rename of
// a temporary file). While it stays the same, the stamp above need not be made again.
std::string PriceFoldersMark(const std::string& working_folder);

// The same for the price history's own files: a history changed, damaged or removed by hand
// since it was brought up to date is brought up to date again.
std::string PriceHistoryStamp(const std::string& working_folder);

}  // namespace trubkom::catalogue
