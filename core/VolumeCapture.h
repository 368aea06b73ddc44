// Fills a fresh catalogue header from the volume that holds a capture source:
// identity, drive type, capacity, capture time and a proposed catalogue name.
#pragma once

#include "core/CatalogFile.h"

#include <cstddef>
#include <cstdint>

namespace cataloom {

// False for a null argument or when the volume information cannot be read.
bool VolumeCapture(const char* source, CatalogHeader* header);

// The catalogue name proposed for `source`: its last component for a plain
// directory; for the root of a network share the path without its leading
// backslashes and with every character not allowed in a file name replaced
// by "_"; otherwise the volume label (possibly empty).  `name` holds
// kMaxCatalogNameLength + 1 bytes.
void ChooseCatalogName(const char* source, std::uint32_t driveType, const char* label, char* name);

}  // namespace cataloom
