// cataloom-shell: walks the Cataloom namespace as Explorer does (the desktop
// folder parses the namespace's name, enumerates, binds, asks for display
// names and sorts through the folder) and prints every folder as a table of
// the namespace's columns.  Output is UTF-8.
//
//   cataloom-shell [path inside the namespace]   e.g. "Music\disc.vmf"
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/ItemIdFactory.h"
#include "core/TaskMemory.h"
#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ItemColumns.h"
#include "namespace/ItemComparer.h"
#include "namespace/ShellUtil.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

std::string ToUtf8(const std::string& ansi) {
    std::wstring wide = AnsiToWide(ansi.c_str());
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], length, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

// Lines are built in the ANSI code page, where a character's byte count is
// its width on a terminal, and converted when printed.
void Print(const std::string& line) { std::printf("%s\n", ToUtf8(line).c_str()); }

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// Column headers come from the string table linked into this program: the
// library's process-wide objects are not created here, so its resource loads
// read the program's own module.
std::string Text(UINT id) {
    char text[256];
    LoadResourceText(id, text, sizeof text);
    return text;
}

// A shell identifier list owned by the task allocator.
using IdList = TaskMemory<ITEMIDLIST>;

std::string DisplayName(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET result = {};
    char text[520];
    if (FAILED(folder->GetDisplayNameOf(item, flags, &result)) ||
        !StrRetToAnsi(&result, reinterpret_cast<PCUIDLIST_RELATIVE>(item), text, sizeof text))
        return std::string();
    return text;
}

class Walker {
public:
    explicit Walker(IShellFolder* desktop) : desktop_(desktop) {}

    void Folder(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, int depth);
    int Problems() const { return problems_; }

private:
    void CheckParsesBack(const std::string& name, PCIDLIST_ABSOLUTE absolute);
    void Table(IShellFolder* folder, const std::vector<IdList>& items, const std::string& indent);

    IShellFolder* desktop_;
    int problems_ = 0;
};

void Walker::CheckParsesBack(const std::string& name, PCIDLIST_ABSOLUTE absolute) {
    std::wstring wide = AnsiToWide(name.c_str());
    PIDLIST_RELATIVE parsed = nullptr;
    HRESULT hr = desktop_->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr);
    IdList owned(parsed);
    if (SUCCEEDED(hr)) hr = desktop_->CompareIDs(0, parsed, absolute);
    if (hr != S_OK) {
        Print("   !! the name does not parse back to this folder (" + Hex(hr) + ")");
        ++problems_;
    }
}

void Walker::Folder(IShellFolder* folder, PCIDLIST_ABSOLUTE absolute, int depth) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    std::string name = DisplayName(desktop_, absolute, SHGDN_FORPARSING);
    std::string shown = DisplayName(desktop_, absolute, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR);
    Print(indent + "== " + name + (shown != name ? "   (" + shown + ")" : ""));
    CheckParsesBack(name, absolute);

    ComPtr<IEnumIDList> enumerator;
    HRESULT hr = folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                                     enumerator.Put());
    if (hr != S_OK || !enumerator) {
        Print(indent + "   (cannot be listed: " + Hex(hr) + ")");
        return;
    }
    std::vector<IdList> items;
    for (;;) {
        PITEMID_CHILD item = nullptr;
        ULONG fetched = 0;
        if (enumerator->Next(1, &item, &fetched) != S_OK || fetched != 1) break;
        items.emplace_back(reinterpret_cast<ITEMIDLIST*>(item));
    }
    // Sorted by the first column as a new view starts.
    bool entries = !items.empty() && Ids::Kind(AsItemId(items.front().Get())) == kKindEntry;
    LPARAM key = entries ? kColumnName : kColumnLabel;
    std::stable_sort(items.begin(), items.end(), [&](const IdList& a, const IdList& b) {
        return ItemComparer::OrderOf(folder->CompareIDs(key, a.Get(), b.Get())) < 0;
    });
    Table(folder, items, indent);

    for (const IdList& item : items) {
        PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(item.Get());
        SFGAOF attributes = SFGAO_FOLDER;
        if (FAILED(folder->GetAttributesOf(1, &child, &attributes)) || (attributes & SFGAO_FOLDER) == 0) continue;
        ComPtr<IShellFolder> sub;
        hr = folder->BindToObject(item.Get(), nullptr, IID_IShellFolder, sub.PutVoid());
        IdList full(ILCombine(absolute, item.Get()));
        if (FAILED(hr) || !sub) {
            Print(indent + "  == " + DisplayName(desktop_, full.Get(), SHGDN_FORPARSING));
            Print(indent + "     (cannot be opened: " + Hex(hr) + ")");
            continue;
        }
        Folder(sub.Get(), full.Get(), depth + 1);
    }
}

void Walker::Table(IShellFolder* folder, const std::vector<IdList>& items, const std::string& indent) {
    if (items.empty()) {
        Print(indent + "   (empty)");
        return;
    }
    Listing listing = Ids::Kind(AsItemId(items.front().Get())) == kKindEntry ? Listing::kEntry : Listing::kMedia;
    std::size_t columns = ItemColumns::Count(listing);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header;
    for (std::size_t c = 0; c < columns; ++c) header.push_back(Text(ItemColumns::Column(listing, c).headerText));
    header.push_back("");
    rows.push_back(header);
    for (const IdList& item : items) {
        PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(item.Get());
        std::vector<std::string> row;
        row.push_back(DisplayName(folder, child, SHGDN_INFOLDER));
        for (std::size_t c = 1; c < columns; ++c) {
            char text[128];
            ItemColumns::Text(listing, c, AsItemId(item.Get()), text, sizeof text);
            row.push_back(text);
        }
        // The name the folder parses, where it differs from the one shown.
        std::string parsing = DisplayName(folder, child, SHGDN_INFOLDER | SHGDN_FORPARSING);
        row.push_back(parsing != row.front() ? "[" + parsing + "]" : "");
        rows.push_back(row);
    }
    std::vector<std::size_t> widths(columns + 1, 0);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    for (const auto& row : rows) {
        std::string line = indent + "   ";
        for (std::size_t c = 0; c < row.size(); ++c) {
            std::string pad(widths[c] - row[c].size(), ' ');
            bool right = c < columns && ItemColumns::Column(listing, c).rightAligned;
            line += right ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
            if (c + 1 < row.size()) line += "  ";
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        Print(line);
    }
}

int Run(const char* start) {
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) {
        std::fprintf(stderr, "cataloom-shell: no desktop folder\n");
        return 1;
    }
    std::string name = kFolderParsingName;
    if (start != nullptr && start[0] != '\0') name += std::string("\\") + start;
    std::wstring wide = AnsiToWide(name.c_str());
    PIDLIST_RELATIVE parsed = nullptr;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr);
    IdList root(parsed);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cataloom-shell: the desktop cannot parse %s (0x%08lX); is Cataloom.dll registered?\n",
                     ToUtf8(name).c_str(), static_cast<unsigned long>(hr));
        return 1;
    }
    ComPtr<IShellFolder> folder;
    hr = desktop->BindToObject(root.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
    if (FAILED(hr)) {
        std::fprintf(stderr, "cataloom-shell: cannot bind to %s (0x%08lX)\n", ToUtf8(name).c_str(),
                     static_cast<unsigned long>(hr));
        return 1;
    }
    Walker walker(desktop.Get());
    walker.Folder(folder.Get(), reinterpret_cast<PCIDLIST_ABSOLUTE>(root.Get()), 0);
    return walker.Problems() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace cataloom

int main(int argc, char** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = cataloom::Run(argc > 1 ? argv[1] : nullptr);
    CoUninitialize();
    return status;
}
