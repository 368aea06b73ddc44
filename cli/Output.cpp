#include "cli/Output.h"

#include "core/PathUtil.h"
#include "platform/Console.h"

#include <cstdio>

namespace cataloom::cli {

Output::~Output() {
    if (!temporary_.empty()) {
        file_.Close();
        platform::RemoveFile(temporary_.c_str());
    }
}

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
    if (!MakeTemporaryPath()) return false;
    if (!file_.Open(temporary_.c_str(), platform::File::kWrite, platform::File::kShareNone, false)) {
        temporary_.clear();
        return false;
    }
    return true;
}

// "<target>.~<hex>.tmp": beside the target, so the final move stays on one
// volume, and named so no reader takes it for a catalogue.
bool Output::MakeTemporaryPath() {
    auto seed = static_cast<unsigned>(platform::CurrentTime() / 10000);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof(suffix), ".~%08X.tmp", seed + attempt * 7919u);
        std::string candidate = target_ + suffix;
        if (candidate.size() >= kMaxPath) return false;
        if (!path::Exists(candidate.c_str())) {
            temporary_ = candidate;
            return true;
        }
    }
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
        std::size_t written = file_.IsOpen() ? file_.Write(buffer_.data(), buffer_.size())
                                             : std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        failed_ = written != buffer_.size();
    }
    buffer_.clear();
}

bool Output::Finish() {
    Drain();
    if (target_.empty()) return std::fflush(stdout) == 0 && !failed_;
    bool written = !failed_ && file_.Flush() && file_.Close();
    if (!written || !platform::MoveReplacing(temporary_.c_str(), target_.c_str())) return false;
    temporary_.clear();
    return true;
}

}  // namespace cataloom::cli
