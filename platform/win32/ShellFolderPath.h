// File-system paths of the shell's special folders.
#pragma once

namespace cataloom::platform {

// Writes the path of the special folder `csidl` (a CSIDL_ value) into `out`
// (at least 260 bytes); false if the folder has no file-system path.
bool SpecialFolderPath(int csidl, char* out);

}  // namespace cataloom::platform
