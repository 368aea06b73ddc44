#include "setup/SetupInfo.h"

#include <cstdio>

#include "core/PathUtil.h"
#include "namespace/ModulePath.h"

namespace cataloom {

namespace {
constexpr char kInstallSection[] = "Install";
constexpr char kCaptionKey[] = "AppCaption";
constexpr char kServersSection[] = "Servers";
constexpr DWORD kCaptionBuffer = 64;

// The offset of the last dot in the file name, -1 without one: the program's
// extension is what follows it.
int ExtensionDot(const char* path) {
    const char* name = path::LastComponent(path);
    int dot = -1;
    for (const char* p = name; *p != '\0'; p = text::Next(p)) {
        if (*p == '.') dot = static_cast<int>(p - path);
    }
    return dot;
}
}  // namespace

bool SetupInfo::Locate(HMODULE program) {
    char path[MAX_PATH];
    return GetModulePath(program, path, sizeof path) && LocateFor(path);
}

bool SetupInfo::LocateFor(const char* programPath) {
    folder_.assign(programPath, path::LastComponent(programPath) - programPath);
    const int dot = ExtensionDot(programPath);
    path_ = dot < 0 ? std::string(programPath) : std::string(programPath, dot);
    path_ += ".ini";
    return path_.size() < MAX_PATH;
}

bool SetupInfo::Exists() const {
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SetupInfo::Caption() const {
    char caption[kCaptionBuffer] = {};
    GetPrivateProfileStringA(kInstallSection, kCaptionKey, "", caption, kCaptionBuffer, path_.c_str());
    return caption;
}

std::vector<std::string> SetupInfo::Servers() const {
    std::vector<std::string> servers;
    // The joined path must fit in MAX_PATH: the name gets what the folder leaves.
    const DWORD room = static_cast<DWORD>(MAX_PATH - folder_.size());
    for (int n = 1;; ++n) {
        char key[16];
        std::snprintf(key, sizeof key, "%d", n);
        char name[MAX_PATH] = {};
        GetPrivateProfileStringA(kServersSection, key, "", name, room, path_.c_str());
        if (name[0] == '\0') break;
        servers.push_back(folder_ + name);
    }
    return servers;
}

}  // namespace cataloom
