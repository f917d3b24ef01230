#pragma once

#include <string>

#include "catalogue/price_pass.h"
#include "common/line_table.h"
#include "common/result.h"
#include "common/string_ops.h"
#include "update/archive_extraction.h"

// Helpers that only tests, benchmarks and fuzz targets call: ways into the program's code that
// the program itself never needs.
namespace trubkom::testing {

// The lines of a table as strings, for comparing with an expected list.
common::StringList ToStringList(const common::LineTable& table);

// Extracts the archive file at path as the program extracts one held in memory.
common::Result<update::ExtractReport> ExtractArchiveFile(const std::string& path,
                                                         const std::string& destination,
                                                         const update::ExtractLimits& limits = {});

// Adds one line of a price list to the pass as reading a file would, its letters lowered: a line
// holding a CR or LF (which a file's line ends would have split at) as one line all the same.
void AddPriceLine(catalogue::BrandPrices& prices, std::string_view line);

// Whether the host and port of an address ("http://127.0.0.1:8080/...") accept a TCP connection:
// for waiting until a server started by a test listens.
bool AcceptsConnections(const std::string& address);

}  // namespace trubkom::testing
