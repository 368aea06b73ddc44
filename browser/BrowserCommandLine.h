// The browser's command line:
//   CataloomBrowser.exe [/likewine] [PLACE | /select,ITEM]
// PLACE is a parsing name; one that does not start with "::" or a drive is
// taken inside the namespace ("サンプル\sample.vmf").  The namespace root when
// missing.  ITEM, named the same way, is an item to show selected in its
// folder (the browser opens that folder instead of PLACE); it is one
// argument however many quotes or spaces its names hold.  /likewine makes
// the browser refuse what Wine's own browser refuses.
#pragma once

#include <string>

namespace cataloom {

struct BrowserCommandLine {
    std::wstring place;   // the full parsing name to open
    std::wstring select;  // the full parsing name of the item to show; empty for none
    bool likeWine = false;

    static BrowserCommandLine Parse(const wchar_t* commandLine);
};

}  // namespace cataloom
