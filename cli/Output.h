// Where a command writes data: standard output, or a file that is written
// under a temporary name beside it and put in its place only when complete,
// so an interrupted or failed run never leaves half a file where the user
// pointed.
#pragma once

#include "core/TemporaryFile.h"
#include "platform/Platform.h"

#include <cstddef>
#include <string>

namespace cataloom::cli {

class Output {
public:
    // The temporary file of an output that was not finished is removed.
    Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Why `target` may not be replaced: a directory, a link, a device or a
    // FIFO (a file written over it would take its place); null when it is
    // missing or a regular file.
    static const char* Refusal(const std::string& target);

    // Standard output (written byte for byte) when `target` is empty;
    // otherwise creates a temporary file in the target's folder.  False when
    // no temporary file can be created.
    bool Open(const std::string& target);
    void Write(const char* data, std::size_t size);
    void Write(const std::string& text) { Write(text.data(), text.size()); }
    void Put(char c) {
        if (buffer_.size() >= kBufferSize) Drain();
        buffer_.push_back(c);
    }
    // Writes what is buffered; for a file, closes it and moves it over the
    // target.  False if any write, the close or the move failed.
    bool Finish();
    // Why Open or Finish failed, where the system said so.
    platform::IoError Error() const { return error_; }

private:
    static constexpr std::size_t kBufferSize = 1 << 16;

    void Drain();

    std::string buffer_;
    TemporaryFile file_;
    std::string target_;
    bool failed_ = false;
    platform::IoError error_ = platform::IoError::kNone;
};

// The cause of a write error for the end of a message (": the disk is
// full"), or "" when the system named none worth telling.
std::string Cause(platform::IoError error);

}  // namespace cataloom::cli
