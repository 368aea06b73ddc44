#include "cli/Output.h"

#include "core/PathUtil.h"
#include "platform/Console.h"

#include <cstdio>

namespace cataloom::cli {

const char* Output::Refusal(const std::string& target) {
    switch (platform::GetPathKind(target.c_str())) {
    case platform::PathKind::kMissing:
    case platform::PathKind::kRegularFile: return nullptr;
    case platform::PathKind::kDirectory: return "it is a directory";
    case platform::PathKind::kLink: return "it is a link";
    case platform::PathKind::kOther: break;
    }
    return "it is not a regular file";
}

bool Output::Open(const std::string& target) {
    buffer_.reserve(kBufferSize);
    target_ = target;
    if (target_.empty()) {
        // CSV rows end in CR LF of their own; a text-mode stream would add a CR.
        platform::console::BinaryOutput(stdout);
        return true;
    }
    // "<target>.~<hex>.tmp": beside the target, so the final move stays on
    // one volume, and named so no reader takes it for a catalogue.
    if (file_.Create(target_ + ".~")) return true;
    error_ = file_.Error();
    return false;
}

void Output::Write(const char* data, std::size_t size) {
    if (buffer_.size() + size > kBufferSize) Drain();
    if (size >= kBufferSize) {
        buffer_.assign(data, size);
        Drain();
        return;
    }
    buffer_.append(data, size);
}

void Output::Drain() {
    if (!buffer_.empty() && !failed_) {
        std::size_t written = target_.empty() ? std::fwrite(buffer_.data(), 1, buffer_.size(), stdout)
                                              : file_.File().Write(buffer_.data(), buffer_.size());
        failed_ = written != buffer_.size();
        if (failed_) error_ = target_.empty() ? platform::IoError::kOther : platform::LastIoError();
    }
    buffer_.clear();
}

bool Output::Finish() {
    Drain();
    if (target_.empty()) return std::fflush(stdout) == 0 && !failed_;
    if (failed_) return false;
    if (file_.Publish(target_.c_str())) return true;
    error_ = file_.Error();
    return false;
}

std::string Cause(platform::IoError error) {
    switch (error) {
    case platform::IoError::kDiskFull: return ": the disk is full";
    case platform::IoError::kReadOnly: return ": the target is read-only";
    case platform::IoError::kAccessDenied: return ": permission denied";
    case platform::IoError::kNameTooLong: return ": the name is too long";
    case platform::IoError::kNotFound: return ": no such folder";
    default: return "";
    }
}

}  // namespace cataloom::cli
