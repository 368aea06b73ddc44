// The browser's command line:
//   CataloomBrowser.exe [/likewine] [PLACE] [/select,NAME]
// PLACE is a parsing name; one that does not start with "::" or a drive is
// taken inside the namespace ("サンプル\sample.vmf").  The namespace root when
// missing.  NAME is an item of PLACE to select.  /likewine makes the browser
// refuse what Wine's own browser refuses.
#pragma once

#include <string>

namespace cataloom {

struct BrowserCommandLine {
    std::wstring place;  // the full parsing name to open
    std::wstring select;
    bool likeWine = false;

    static BrowserCommandLine Parse(const wchar_t* commandLine);
};

}  // namespace cataloom
