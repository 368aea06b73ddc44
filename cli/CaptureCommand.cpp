#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/Terminal.h"
#include "core/CaptureTask.h"
#include "core/CaptureTexts.h"
#include "core/PathUtil.h"
#include "core/VolumeCapture.h"
#include "platform/Console.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace cataloom::cli {
namespace {

// Keeps the latest texts of the worker for the main thread, which draws
// them on one updating terminal line.
class TerminalProgress : public CaptureSink {
public:
    void SetPhase(const char* text) override { Set(phase_, text); }
    void SetDetail(const char* text) override { Set(detail_, text); }
    void Finished(bool) override {}

    // Redraws the line if the texts changed since the last call.
    void Draw(bool force) {
        std::string phase, detail;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!changed_ && !force) return;
            changed_ = false;
            phase = phase_;
            detail = detail_;
        }
        std::string line = phase + (detail.empty() ? "" : " " + detail);
        for (char& c : line)
            if (c == '\n') c = ' ';
        char shown[512];
        int width = platform::console::TerminalWidth(stderr);
        text::CopyTruncated(shown, static_cast<std::size_t>(std::max(2, std::min(width, 200))) - 1, line.c_str());
        std::string out = "\r\x1b[K" + platform::console::ToTerminal(shown);
        std::fwrite(out.data(), 1, out.size(), stderr);
        std::fflush(stderr);
    }

private:
    void Set(std::string& field, const char* text) {
        std::lock_guard<std::mutex> lock(mutex_);
        field = text ? text : "";
        changed_ = true;
    }

    std::mutex mutex_;
    std::string phase_, detail_;
    bool changed_ = false;
};

struct CaptureOptions {
    const char* source = nullptr;
    const char* output = nullptr;
    const char* name = nullptr;
    bool verbose = false;
};

bool ParseOptions(const Arguments& args, CaptureOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const char* a = args[i];
        bool hasValue = i + 1 < args.size();
        if (std::strcmp(a, "-o") == 0 && hasValue && options.output == nullptr) options.output = args[++i];
        else if (std::strcmp(a, "--name") == 0 && hasValue && options.name == nullptr) options.name = args[++i];
        else if (std::strcmp(a, "-v") == 0) options.verbose = true;
        else if (a[0] != '-' && options.source == nullptr) options.source = a;
        else return false;
    }
    return options.source != nullptr;
}

std::string Count(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// One line for `count` cases, a warning on stderr or information on
// stdout, and with `verbose` the kept paths.
void Tell(bool warning, const std::string& line, std::size_t count, const std::vector<std::string>& paths,
          bool verbose) {
    if (count == 0) return;
    std::string text = line + (verbose ? "" : " (-v shows which)");
    if (warning) Error("warning: " + text);
    else Print(text + "\n");
    if (!verbose) return;
    for (const std::string& p : paths) warning ? Error("  " + ShowPath(p)) : Print("  " + ShowPath(p) + "\n");
    if (count > paths.size()) {
        std::string more = "  ... and " + std::to_string(count - paths.size()) + " more";
        warning ? Error(more) : Print(more + "\n");
    }
}

// Ends a capture that wrote its catalogue: what was stored in another form
// (nothing is lost: the exact names keep them) or left out.
int ReportLosses(const CaptureReport& report, std::uint64_t unknownTotals, bool verbose) {
    Tell(false,
         Count(report.changedNames, "name is", "names are") +
             " stored in another code page 932 form and kept exactly beside it",
         report.changedNames, report.changedPaths, verbose);
    Tell(true,
         Count(report.unreadDirectories, "directory could not be read and is",
               "directories could not be read and are") +
             " recorded without contents",
         report.unreadDirectories, report.unreadPaths, verbose);
    if (unknownTotals > 0)
        Error("warning: stopped while computing directory totals: " +
              Count(static_cast<std::size_t>(unknownTotals), "directory total is", "directory totals are") +
              " unknown");
    if (report.unreadDirectories > 0) return kExitIncomplete;
    return unknownTotals == 0 ? kExitOk : kExitTotalsUnknown;
}

}  // namespace

int CaptureCommand(const Arguments& args) {
    CaptureOptions options;
    if (!ParseOptions(args, options)) {
        Error("usage: cataloom capture SOURCE [-o FILE.vmf] [--name NAME] [-v]");
        return kExitUsage;
    }
    std::string given = platform::console::ArgumentPath(options.source);
    std::string source;
    if (!platform::console::AbsolutePath(given, source) || source.size() >= kMaxPath ||
        !path::IsDirectory(source.c_str())) {
        Error("no such directory: " + ShowPath(given));
        return kExitFailure;
    }
    CatalogHeader header;
    if (!VolumeCapture(source.c_str(), &header)) {
        Error(capture_text::kNoMediaInfo);
        return kExitFailure;
    }
    // A name given outside code page 932 is stored with "_" for what the
    // code page lacks and kept exactly beside it.
    std::string exactName = options.name ? platform::console::ArgumentUtf8(options.name) : "";
    bool changed = false;
    std::string name = options.name ? platform::Utf8ToStored(exactName, changed) : header.name;
    if (changed && exactName.find('?') == std::string::npos) std::replace(name.begin(), name.end(), '?', '_');
    if (!path::IsValidName(name.c_str()) || name.size() > kMaxCatalogNameLength) {
        Error("the catalogue name \"" + name + "\" is empty or invalid (at most 255 characters, none of \" * / : ; "
              "< > ? \\ |): give one with --name NAME");
        return kExitUsage;
    }
    std::string target = options.output ? platform::console::ArgumentPath(options.output) : name + ".vmf";
    // Only a name ending in ".vmf" is ever taken for a catalogue.
    if (!IsCatalogFileName(target.c_str())) target += kCatalogExtension;
    if (const char* refusal = Output::Refusal(target)) {
        Error("cannot write the catalogue to " + ShowPath(target) + ": " + refusal);
        return kExitUsage;
    }
    if (target.size() >= kMaxPath) {
        Error("cannot write the catalogue to " + ShowPath(target));
        return kExitUsage;
    }
    text::CopyTruncated(header.name, sizeof(header.name), name.c_str());

    TerminalProgress progress;
    CaptureTask task(source.c_str(), target.c_str(), header, progress);
    if (options.name) task.SetExactName(exactName);
    bool interactive = platform::console::IsTerminal(stderr);
    platform::console::CatchInterrupt();
    if (!task.Start()) {
        Error("the capture could not be started");
        return kExitFailure;
    }
    // The wait ends as soon as the worker does; the time-out only redraws
    // the progress line and notices Ctrl-C.
    constexpr unsigned kRedrawMilliseconds = 100;
    while (!task.WaitFor(kRedrawMilliseconds)) {
        if (platform::console::Interrupted()) task.RequestStop();
        if (interactive) progress.Draw(false);
    }
    task.Wait();
    if (interactive) {
        progress.Draw(true);
        std::fputs("\n", stderr);
    }

    if (task.StaleRemoved() > 0)
        Error("note: removed " + Count(task.StaleRemoved(), "stale temporary file", "stale temporary files") +
              " (older than a day) beside " + ShowPath(target));
    for (const std::string& kept : task.StaleKept())
        Error("warning: stale temporary file still open by another program: " + ShowPath(kept));
    switch (task.Result()) {
    case CaptureTask::Outcome::kSucceeded: {
        const CatalogHeader& written = task.Header();
        Print("captured " + ShowPath(source) + " into " + ShowPath(target) + ": " +
              std::to_string(written.directoryCount) + " directories, " + std::to_string(written.fileCount) +
              " files\n");
        return ReportLosses(task.Report(), task.UnknownTotals(), options.verbose);
    }
    case CaptureTask::Outcome::kStopped:
        Error("capture stopped; nothing was written");
        return kExitFailure;
    default:
        Error("writing " + ShowPath(target) + " failed" + Cause(task.WriteError()) + "; nothing was written");
        return kExitFailure;
    }
}

}  // namespace cataloom::cli
