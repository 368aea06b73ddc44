#include "browser/BrowserCommandLine.h"

#include <windows.h>
#include <shellapi.h>

#include "settings/ClassIds.h"

namespace cataloom {
namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const std::size_t length = lstrlenW(prefix);
    return text.size() >= length && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                                                   static_cast<int>(length), prefix, static_cast<int>(length)) == CSTR_EQUAL;
}

std::wstring NamespaceRoot() {
    const char* name = kFolderParsingName;
    return std::wstring(name, name + lstrlenA(name));
}

// A parsing name as given, or below the namespace root when it starts with
// neither "::" nor a drive.
std::wstring FullName(std::wstring place) {
    const bool full = place.compare(0, 2, L"::") == 0 || (place.size() >= 2 && place[1] == L':');
    if (full) return place;
    std::wstring result = NamespaceRoot();
    while (!place.empty() && place.front() == L'\\') place.erase(0, 1);
    if (!place.empty()) result += L"\\" + place;
    return result;
}

}  // namespace

BrowserCommandLine BrowserCommandLine::Parse(const wchar_t* commandLine) {
    BrowserCommandLine result;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    std::wstring place;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        std::wstring argument = arguments[i];
        if (StartsWithNoCase(argument, L"/likewine")) {
            result.likeWine = true;
        } else if (StartsWithNoCase(argument, L"/select,")) {
            result.select = FullName(argument.substr(8));
        } else {
            place = argument;
        }
    }
    LocalFree(arguments);
    result.place = FullName(std::move(place));
    return result;
}

}  // namespace cataloom
