#include "cli/Commands.h"
#include "cli/DataText.h"
#include "cli/HtmlPage.h"
#include "cli/Output.h"
#include "cli/PageData.h"
#include "cli/Terminal.h"
#include "core/CatalogWalker.h"
#include "core/CatalogPath.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "platform/Console.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace cataloom::cli {
namespace {

enum class Format { kCsv, kJson, kEfu, kHtml };

// The catalogue's name, which the header need not terminate.
std::string RootName(const CatalogHeader& header) {
    char name[kMaxCatalogNameLength + 1];
    text::CopyTruncated(name, sizeof(name), header.name);
    return name;
}

// What an export writes, told of the walk's folders, catalogues and
// entries: rows of a data format, or the web page.
class ExportWriter {
public:
    virtual ~ExportWriter() = default;
    virtual void Folder(const char* /*path*/, const char* /*name*/) {}
    // `path` is the catalogue's file, `name` its file name, `file` the file as
    // the export names it (code page 932), `shownName` the catalogue's name as
    // people see it (UTF-8, its exact name where it has one).
    virtual void Catalog(const char* path, const char* name, const std::string& file, const CatalogHeader& header,
                         const std::string& shownName) = 0;
    // False for an entry the writer cannot write.  `shown` is its path below
    // the root with every name as people see it (exact names where the
    // catalogue keeps them), joined by "/" (core/CatalogWalker.h ShownBelow).
    virtual bool Entry(const char* inner, std::size_t length, const std::string& shown,
                       const std::uint8_t* entry) = 0;
    virtual void EnteringDirectory() {}
    // Writes what is left; false if that failed.
    virtual bool End() = 0;
};

// How the rows of one catalogue begin: its name and file, already quoted
// for the format, so each row only adds what is its own.
struct CatalogLabel {
    std::string prefix;
};

// Writes the rows of one format: CSV and the file-list format end their
// lines in CR LF (RFC 4180), JSON is one array with an object per line.
class RowWriter : public ExportWriter {
public:
    RowWriter(Format format, bool rawCells, Output& output) : format_(format), raw_(rawCells), output_(output) {
        switch (format_) {
        case Format::kCsv: output_.Write("catalogue,catalogue_file,path,type,size,created,modified,attributes\r\n"); break;
        case Format::kJson: output_.Write("["); break;
        case Format::kEfu: output_.Write("Filename,Size,Date Modified,Date Created,Attributes\r\n"); break;
        case Format::kHtml: break;
        }
    }

    void Catalog(const char*, const char*, const std::string& file, const CatalogHeader&,
                 const std::string& shownName) override {
        label_ = Label(shownName, file);
    }

    bool Entry(const char*, std::size_t, const std::string& shown, const std::uint8_t* entry) override {
        return Row(label_, shown, entry);
    }

    bool End() override {
        if (format_ == Format::kJson) output_.Write(rows_ == 0 ? "]\n" : "\n]\n");
        return true;
    }

private:
    CatalogLabel Label(const std::string& utf8Name, const std::string& file) const {
        CatalogLabel label;
        switch (format_) {
        case Format::kCsv:
            AppendCsvText(label.prefix, utf8Name, raw_);
            label.prefix += ',';
            AppendCsvText(label.prefix, DataPath(file.c_str()), raw_);
            label.prefix += ',';
            break;
        case Format::kJson:
            label.prefix = "{\"catalogue\":";
            AppendJsonString(label.prefix, utf8Name);
            label.prefix += ",\"catalogue_file\":";
            AppendJsonString(label.prefix, DataPath(file.c_str()));
            label.prefix += ",\"path\":";
            break;
        case Format::kEfu:
        case Format::kHtml:
            // The opening quote of the Filename field and the catalogue's
            // file, quotes doubled; the row adds the path inside it.
            AppendCsvText(label.prefix, DataPath(file.c_str(), '\\'), raw_, true);
            label.prefix.pop_back();
            break;
        }
        return label;
    }

    // False for a row the format cannot write unambiguously: the file-list
    // format joins names with backslashes, which a visible form holds too.
    bool Row(const CatalogLabel& label, const std::string& below, const std::uint8_t* e) {
        if (format_ == Format::kEfu && below.find('\\') != std::string::npos) return false;
        row_ = label.prefix;
        bool directory = EntryRecord::IsDirectory(e);
        std::uint64_t size = EntryRecord::FileSize(e);
        switch (format_) {
        case Format::kCsv:
            AppendCsvText(row_, below, raw_);
            row_ += directory ? ",directory," : ",file,";
            AppendSize(row_, size, "");
            row_ += ',';
            AppendTime(row_, EntryRecord::CreationTime(e), "", false);
            row_ += ',';
            AppendTime(row_, EntryRecord::WriteTime(e), "", false);
            row_ += ',';
            AppendNumber(row_, EntryRecord::Attributes(e));
            row_ += "\r\n";
            break;
        case Format::kJson:
            AppendJsonString(row_, below);
            row_ += directory ? ",\"type\":\"directory\",\"size\":" : ",\"type\":\"file\",\"size\":";
            AppendSize(row_, size, "null");
            row_ += ",\"created\":";
            AppendTime(row_, EntryRecord::CreationTime(e), "null", true);
            row_ += ",\"modified\":";
            AppendTime(row_, EntryRecord::WriteTime(e), "null", true);
            row_ += ",\"attributes\":";
            AppendNumber(row_, EntryRecord::Attributes(e));
            row_ += "}";
            output_.Write(rows_++ == 0 ? "\n" : ",\n");
            break;
        case Format::kEfu:
        case Format::kHtml: {
            std::string joined = '\\' + below;
            std::replace(joined.begin(), joined.end(), '/', '\\');
            std::string field;
            AppendCsvField(field, joined, true);
            row_.append(field, 1, std::string::npos);
            row_ += ',';
            AppendSize(row_, size, "");
            row_ += ',';
            AppendFileTime(EntryRecord::WriteTime(e));
            row_ += ',';
            AppendFileTime(EntryRecord::CreationTime(e));
            row_ += ',';
            AppendNumber(row_, EntryRecord::Attributes(e));
            row_ += "\r\n";
            break;
        }
        }
        output_.Write(row_);
        return true;
    }

    // The file-list format takes times as file times; 0 is unknown.
    void AppendFileTime(platform::FileTime time) {
        if (time != 0) AppendNumber(row_, time);
    }

    Format format_;
    bool raw_;
    Output& output_;
    CatalogLabel label_;
    std::string row_;
    std::size_t rows_ = 0;
};

// Gathers the page's tables during the walk and writes the page at the end.
class PageWriter : public ExportWriter {
public:
    PageWriter(Output& output, const std::string& folder)
        : output_(output), data_(folder, folder.empty() ? "" : path::LastComponent(folder.c_str())) {}

    void Folder(const char* path, const char* name) override { data_.Folder(path, name); }
    // The page shows stored names in their visible form.
    void Catalog(const char* path, const char* name, const std::string& file, const CatalogHeader& header,
                 const std::string&) override {
        data_.Catalog(path, name, DataPath(file.c_str()), header);
    }
    bool Entry(const char*, std::size_t length, const std::string&, const std::uint8_t* entry) override {
        data_.Entry(length, entry);
        return true;
    }
    void EnteringDirectory() override { data_.EnteringDirectory(); }
    bool End() override { return WriteHtmlPage(data_, output_); }

private:
    Output& output_;
    PageData data_;
};

// Rows of the entries a walk reaches; an entry left out (a name that holds a
// path separator, or one the format cannot write) is named in a warning.
class EntryRows : public WalkVisitor {
public:
    explicit EntryRows(ExportWriter& writer) : writer_(writer) {}

    bool Stopped() override { return platform::console::Interrupted(); }

    void Folder(const char* path, const char* name) override { writer_.Folder(path, name); }

    void Entering(const char*, const char*) override { writer_.EnteringDirectory(); }

    void Entry(const char* path, const char* inner, std::size_t length, const std::uint8_t* entry) override {
        if (!writer_.Entry(inner, length, Walker()->ShownBelow(), entry))
            Skip(path, ShowCatalogPath(BelowCatalogRoot(inner) + 1), "the file-list format cannot write a damaged name");
    }

    void Unreachable(const char* path, const std::uint8_t* entry) override {
        const char* name = EntryRecord::Name(entry);
        // Otherwise reached only when a catalogue changes between the check
        // and the export.
        if (FitsCatalogPath(name)) Damaged(path);
        else Skip(path, VisibleName(name), std::string("its name ") + NameFaultText(FindNameFault(name)));
    }

    void Damaged(const char* path) override {
        Error("warning: damaged catalogue skipped: " + ShowPath(path));
        ++skipped_;
    }

    std::size_t Skipped() const { return skipped_; }

protected:
    ExportWriter& writer_;

private:
    // `shown` is the entry's name or path, already made visible.
    void Skip(const char* path, const std::string& shown, const std::string& why) {
        Error("warning: entry skipped, " + why + ": " + ShowPath(path) + " " + shown);
        ++skipped_;
    }

    std::size_t skipped_ = 0;
};

// Every entry of every sound catalogue below a data folder, in name order;
// damaged catalogues are skipped with a warning.  The walk checks each
// catalogue before its entries come; the writer learns of it only then, with
// the header of the version whose entries follow.
class FolderExport : public EntryRows {
public:
    FolderExport(ExportWriter& writer, const std::string& root) : EntryRows(writer), rootLength_(root.size()) {}

    bool Catalog(const char*, const char* file, const CatalogHeader&) override {
        file_ = file;
        return true;
    }

    void Opened(const char* path, const CatalogHeader& header) override {
        std::string relative = path + std::min(rootLength_, std::strlen(path));
        while (!relative.empty() && relative[0] == '\\') relative.erase(0, 1);
        writer_.Catalog(path, file_.c_str(), relative, header, Walker()->ShownCatalogName());
    }

private:
    std::size_t rootLength_;
    std::string file_;
};

struct ExportOptions {
    const char* source = nullptr;
    const char* output = nullptr;
    Format format = Format::kCsv;
    bool rawCells = false;
};

bool ParseOptions(const Arguments& args, ExportOptions& options) {
    bool formatGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const char* a = args[i];
        bool hasValue = i + 1 < args.size();
        if (std::strcmp(a, "-o") == 0 && hasValue && options.output == nullptr) {
            options.output = args[++i];
        } else if (std::strcmp(a, "--raw-cells") == 0) {
            options.rawCells = true;
        } else if (std::strcmp(a, "--format") == 0 && hasValue && !formatGiven) {
            const char* f = args[++i];
            formatGiven = true;
            if (std::strcmp(f, "csv") == 0) options.format = Format::kCsv;
            else if (std::strcmp(f, "json") == 0) options.format = Format::kJson;
            else if (std::strcmp(f, "efu") == 0) options.format = Format::kEfu;
            else if (std::strcmp(f, "html") == 0) options.format = Format::kHtml;
            else return false;
        } else if (a[0] != '-' && options.source == nullptr) {
            options.source = a;
        } else {
            return false;
        }
    }
    return options.source != nullptr;
}

}  // namespace

int ExportCommand(const Arguments& args) {
    ExportOptions options;
    if (!ParseOptions(args, options)) {
        Error("usage: cataloom export FILE.vmf|DATAFOLDER [--format csv|json|efu|html] [--raw-cells] [-o OUT|-]");
        return kExitUsage;
    }
    std::string source = platform::console::ArgumentPath(options.source);
    while (source.size() > 1 && path::EndsWithBackslash(source.c_str())) source.pop_back();
    bool folder = source.size() < kMaxPath && path::IsDirectory(source.c_str());
    // A single catalogue is checked and exported through one open handle,
    // so its name and its rows come from one version of the file.
    CatalogReader reader;
    platform::File file;
    platform::console::CatchInterrupt();
    bool sound = true;
    if (!folder && !OpenCatalogVersion(options.source, source, reader, file, sound)) return kExitFailure;

    // "-o -" is standard output, as when no -o is given.
    bool toFile = options.output != nullptr && std::strcmp(options.output, "-") != 0;
    std::string target = toFile ? platform::console::ArgumentPath(options.output) : "";
    CatalogHeader existing;
    const char* refusal = target.empty() ? nullptr : Output::Refusal(target);
    if (refusal != nullptr) {
        Error("will not write the export to " + ShowPath(target) + ": " + refusal);
        return kExitUsage;
    }
    if (!target.empty() && (target.size() >= kMaxPath || ReadCatalogHeader(target.c_str(), &existing))) {
        // Never replaces a catalogue (the one being exported, say) with its list.
        Error("will not write the export to " + ShowPath(target));
        return kExitUsage;
    }

    CatalogHeader header = reader.Header();
    header.name[sizeof(header.name) - 1] = '\0';
    header.fileSystem[sizeof(header.fileSystem) - 1] = '\0';
    std::string rootName = folder ? "" : RootName(header);
    if (!sound) {
        Error(platform::console::Interrupted() ? "export stopped; nothing was written"
                                               : "damaged catalogue, nothing exported: " + ShowPath(source));
        return kExitFailure;
    }
    Output output;
    if (!output.Open(target)) {
        Error("cannot write " + ShowPath(target) + Cause(output.Error()));
        return kExitFailure;
    }
    std::unique_ptr<ExportWriter> writer;
    if (options.format == Format::kHtml) writer = std::make_unique<PageWriter>(output, folder ? source : "");
    else writer = std::make_unique<RowWriter>(options.format, options.rawCells, output);
    bool complete = true;
    if (folder) {
        FolderExport walk(*writer, source);
        CatalogWalker(reader, walk, CatalogWalker::kExportCapacity, CatalogWalker::FolderOrder::kByName,
                      CatalogWalker::Soundness::kCheckedFirst)
            .Walk(source.c_str(), "");
        complete = walk.Skipped() == 0;
    } else {
        writer->Catalog(source.c_str(), path::LastComponent(source.c_str()), source, header, reader.ShownCatalogName());
        EntryRows walk(*writer);
        CatalogWalker(reader, walk, CatalogWalker::kExportCapacity).WalkOpened(file, source.c_str(), rootName.c_str());
        complete = walk.Skipped() == 0;
    }
    if (platform::console::Interrupted()) {
        Error(target.empty() ? "export stopped" : "export stopped; nothing was written");
        return kExitFailure;
    }
    if (!writer->End() || !output.Finish()) {
        Error("writing " + (target.empty() ? std::string("the export") : ShowPath(target)) + " failed" +
              Cause(output.Error()));
        return kExitFailure;
    }
    return complete ? kExitOk : kExitFailure;
}

}  // namespace cataloom::cli
