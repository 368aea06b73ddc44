// Whether a path the library is about to delete, rename, move or create
// from stays inside the data folder.  Text alone cannot tell: a symbolic
// link, junction or mount point inside the data folder leads anywhere.
#pragma once

namespace cataloom {

// True when `path` is `dataRoot` itself or lies below it by plain names
// (no "..", no empty component), none of the components below the data
// folder is a reparse point (symbolic link, junction, mount point), and the
// final path the system resolves for `path` lies inside the one it
// resolves for `dataRoot`.  False for a path that does not exist.
bool IsContainedPath(const char* dataRoot, const char* path);

}  // namespace cataloom
