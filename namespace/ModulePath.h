// The folder of a module file (library or program), for everything that is
// found beside it: the server path, the default data folder, the setup's
// settings file and the libraries it registers.
#pragma once

#include <windows.h>

#include <cstddef>

namespace cataloom {

// The full path of `module` (null: the program).  False when the path does
// not fit in `size` bytes.
bool GetModulePath(HMODULE module, char* path, std::size_t size) noexcept;

// Writes the folder of `module` with a trailing backslash.  False when it
// does not fit in `size` bytes.
bool GetModuleFolder(HMODULE module, char* folder, std::size_t size) noexcept;

}  // namespace cataloom
