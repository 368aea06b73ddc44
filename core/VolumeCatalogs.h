// Finds the catalogues of one volume in a data folder, for the update
// command: files whose names end in .vmf and whose header has the magic and
// the volume's serial number.  The folder's own files come first, then each
// sub-folder depth first, in listing order.  Links and junctions (reparse
// points) are not entered, so the search stays inside the data folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cataloom {

// At most `limit` full paths, in search order.
std::vector<std::string> FindVolumeCatalogs(const char* folder, std::uint32_t serial, std::size_t limit);

}  // namespace cataloom
