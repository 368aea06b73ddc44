// Paths inside a catalogue: the catalogue's name (the root record's name,
// which may be empty), then the directory names below the root, each after
// one backslash.  "\sub" is the directory sub of a nameless catalogue, and
// "" its root; a file-system join that drops the separator after an empty
// path would turn "sub" into the root's name.
#pragma once

#include <cstddef>

namespace cataloom {

// Appends a backslash and `name` (which may itself hold further components)
// to the catalogue path of `length` bytes in `buffer`.  Returns the new
// length, or -1 when `length` is already -1, `name` is null or the result
// does not fit `capacity` (the buffer is then left as it was).  Calls chain:
// a -1 passes through.
int AppendCatalogName(char* buffer, int length, std::size_t capacity, const char* name);

// The part of a catalogue path below its root: from the first backslash
// (not a trail byte) on, or the empty tail when the path names the root.
// The first component stands for the root whatever it says.
const char* BelowCatalogRoot(const char* path);

}  // namespace cataloom
