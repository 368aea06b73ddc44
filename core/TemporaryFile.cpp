#include "core/TemporaryFile.h"

#include <atomic>
#include <cstdio>
#include <random>

namespace cataloom {

std::uint32_t TemporaryFile::RandomBits() {
    // The system's random source, mixed with what sets this process and this
    // call apart, so that even a weak source gives writers different names.
    static std::atomic<std::uint32_t> calls{0};
    std::random_device device;
    std::uint64_t mixed = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    mixed ^= platform::CurrentTime() * 0x9E3779B97F4A7C15ull;
    mixed ^= (static_cast<std::uint64_t>(platform::ProcessId()) << 20) ^ calls.fetch_add(1);
    mixed ^= mixed >> 29;
    mixed *= 0xBF58476D1CE4E5B9ull;
    mixed ^= mixed >> 32;
    return static_cast<std::uint32_t>(mixed);
}

TemporaryFile::~TemporaryFile() { Remove(); }

bool TemporaryFile::Create(const std::string& prefix, const NameBits& bits) {
    Remove();
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08X.tmp", static_cast<unsigned>(bits()));
        std::string candidate = prefix + suffix;
        if (candidate.size() >= platform::kMaxPath) return Fail(platform::IoError::kNameTooLong);
        if (file_.CreateNew(candidate.c_str())) {
            path_ = candidate;
            error_ = platform::IoError::kNone;
            return true;
        }
        // Only a clash is worth another name; a full disk or a read-only
        // folder fails every name alike.
        if (platform::LastIoError() != platform::IoError::kExists) return Fail(platform::LastIoError());
    }
    return Fail(platform::IoError::kExists);
}

bool TemporaryFile::Fail(platform::IoError error) {
    error_ = error;
    Remove();
    return false;
}

bool TemporaryFile::Publish(const char* target) {
    if (path_.empty() || target == nullptr) return false;
    bool written = !file_.IsOpen() || (file_.Flush() && file_.Close());
    if (written) platform::KeepAccess(target, path_.c_str());
    if (!written || !platform::MoveReplacing(path_.c_str(), target)) return Fail(platform::LastIoError());
    path_.clear();
    return true;
}

void TemporaryFile::Remove() {
    file_.Close();
    if (!path_.empty()) platform::RemoveFile(path_.c_str());
    path_.clear();
}

}  // namespace cataloom
