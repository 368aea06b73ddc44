// CataloomBrowser.exe: opens a place of the namespace (the root by default)
// in a browser window of its own.  See BrowserCommandLine.h for the
// arguments.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "browser/BrowserCommandLine.h"
#include "browser/BrowserFrame.h"
#include "namespace/ComPtr.h"
#include "resources/CataloomBrowserResource.h"

namespace {

int Run(HINSTANCE instance) {
    using namespace cataloom;
    const BrowserCommandLine commandLine = BrowserCommandLine::Parse(GetCommandLineW());
    BrowserOptions options;
    options.likeWine = commandLine.likeWine;
    options.quitOnClose = true;
    ComPtr<IShellBrowser> holder;
    BrowserFrame* frame = BrowserFrame::Create(options, instance);
    if (frame == nullptr) return 1;
    *holder.Put() = frame;
    const std::wstring& opened = commandLine.select.empty() ? commandLine.place : commandLine.select;
    const HRESULT shown = commandLine.select.empty() ? frame->OpenParsingName(opened.c_str())
                                                     : frame->ShowItem(opened.c_str());
    if (FAILED(shown)) {
        wchar_t format[256];
        wchar_t caption[64];
        LoadStringW(instance, IDS_CANNOT_OPEN, format, 256);
        LoadStringW(instance, IDS_BROWSER_TITLE, caption, 64);
        std::wstring text(format);
        text.replace(text.find(L"%s"), 2, opened);
        MessageBoxW(frame->Window(), text.c_str(), caption, MB_OK | MB_ICONWARNING);
        frame->Close();
        return 2;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (frame->TranslateKey(&message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (FAILED(OleInitialize(nullptr))) return 1;
    int status = Run(instance);
    OleUninitialize();
    return status;
}
