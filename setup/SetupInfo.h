// The setup's settings file: named after the program with the extension
// ".ini", in the program's folder.  [Install] AppCaption names the product;
// [Servers] 1, 2, 3, ... list the libraries to register, relative to the
// program's folder, up to the first number that is missing or empty.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace cataloom {

class SetupInfo {
public:
    // Finds the settings file of `program` (null: this program).  False when
    // the program's path cannot be had.
    bool Locate(HMODULE program = nullptr);
    // The same for a program's full path.  False when the settings file's
    // path would not fit in MAX_PATH.
    bool LocateFor(const char* programPath);

    bool Exists() const;
    const std::string& Path() const { return path_; }
    // The program's folder with a trailing backslash.
    const std::string& Folder() const { return folder_; }

    // At most 63 bytes; empty when not given.
    std::string Caption() const;
    // Full paths of the listed libraries, in number order.
    std::vector<std::string> Servers() const;

private:
    std::string path_;
    std::string folder_;
};

}  // namespace cataloom
