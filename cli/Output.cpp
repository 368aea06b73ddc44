#include "cli/Output.h"

#include "core/PathUtil.h"
#include "platform/Console.h"

#include <cstdio>

namespace cataloom::cli {

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
    return file_.Create(target_ + ".~");
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
    }
    buffer_.clear();
}

bool Output::Finish() {
    Drain();
    if (target_.empty()) return std::fflush(stdout) == 0 && !failed_;
    return !failed_ && file_.Publish(target_.c_str());
}

}  // namespace cataloom::cli
