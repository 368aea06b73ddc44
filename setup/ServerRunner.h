// Calls the registration export of each library the settings file lists.
#pragma once

#include <string>
#include <vector>

namespace cataloom {

enum class SetupMode { kRegister = 0, kUnregister = 1 };

// Loads every library and calls DllRegisterServer or DllUnregisterServer.
// Returns the file names of the libraries that could not be loaded, lack
// the export, or whose export reported a failure.  The libraries stay loaded:
// a server may still have windows or threads of its own running.
std::vector<std::string> RunServers(const std::vector<std::string>& libraries, SetupMode mode);

}  // namespace cataloom
