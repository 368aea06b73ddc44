// A file written whole under a temporary name and then moved over its target,
// so a failure or a stop at any point leaves the target as it was.  Every
// writer that replaces a file goes through it: the capture, header rewrites
// and the tool's -o outputs.
//
// The temporary file is created exclusively under a name with 32 random bits,
// with another name on a clash, so writers that start together in one folder
// (two processes, say) never share a file.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cataloom {

class TemporaryFile {
public:
    // Where the random part of a name comes from (tests give their own).
    using NameBits = std::function<std::uint32_t()>;
    static std::uint32_t RandomBits();

    TemporaryFile() = default;
    // Removes a file that was created and not published.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file `prefix` + 8 hex digits + ".tmp", open for reading and
    // writing.  False (Error() tells why) when no name could be created; a
    // name taken by another file is never opened.
    bool Create(const std::string& prefix, const NameBits& bits = RandomBits);
    platform::File& File() { return file_; }
    const std::string& Path() const { return path_; }

    // Flushes and closes the file (unless the caller closed it), gives it
    // the access of the file it replaces and moves it over `target`.  False
    // when any step fails (Error() tells why); the temporary file is then
    // removed.
    bool Publish(const char* target);
    // Why the last Create or Publish failed.
    platform::IoError Error() const { return error_; }

private:
    void Remove();
    bool Fail(platform::IoError error);

    platform::File file_;
    std::string path_;
    platform::IoError error_ = platform::IoError::kNone;
};

// How many tries Create makes before it gives up on clashing names.
constexpr int kTemporaryNameTries = 64;

}  // namespace cataloom
