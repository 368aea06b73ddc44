#include "view/NewCatalogDrop.h"

#include <cstring>
#include <memory>
#include <new>

#include "capture/CaptureRequest.h"
#include "capture/CreateCatalogDialog.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"

namespace cataloom {
namespace {

constexpr char kWindowClass[] = "CataloomNewCatalogDrop";
constexpr UINT kRunMessage = WM_APP + 1;

struct Launch {
    HWND owner = nullptr;
    CaptureRequest request;
    ComPtr<IUnknown> keepAlive;
};

bool RegisterWindowClass(WNDPROC procedure) noexcept {
    HINSTANCE instance = ProcessObjects::Instance();
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, kWindowClass, &existing)) return true;
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExA(&windowClass) != 0;
}

bool CopyPath(char* out, const char* path) {
    return path != nullptr && path[0] != '\0' && text::CopyTruncated(out, kMaxPath, path) == std::strlen(path);
}

void Run(Launch& launch) {
    // The owner may have gone, or belong to another thread, by now.
    HWND owner = launch.owner;
    if (owner != nullptr && (!IsWindow(owner) || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()))
        owner = nullptr;
    CaptureRequest& request = launch.request;
    CreateCatalogDialog(request).Run(owner);
    if (request.resultFile[0] != '\0')
        AnnounceCatalog(request.resultFile, request.replaced ? CatalogChange::kReplaced : CatalogChange::kAdded);
}

}  // namespace

bool NewCatalogDrop::Schedule(HWND owner, const char* source, const char* destination, IUnknown* keepAlive) noexcept {
    auto launch = std::unique_ptr<Launch>(new (std::nothrow) Launch);
    if (launch == nullptr || !CopyPath(launch->request.source, source) ||
        !CopyPath(launch->request.dataFolder, destination))
        return false;
    launch->owner = owner;
    if (keepAlive != nullptr) {
        keepAlive->AddRef();
        *launch->keepAlive.Put() = keepAlive;
    }
    if (!RegisterWindowClass(WindowProcedure)) return false;
    HWND window =
        CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ProcessObjects::Instance(), nullptr);
    if (window == nullptr) return false;
    // The window owns it from here.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(launch.release()));
    if (!PostMessageA(window, kRunMessage, 0, 0)) {
        DestroyWindow(window);
        return false;
    }
    return true;
}

void NewCatalogDrop::UnregisterWindowClass() noexcept { UnregisterClassA(kWindowClass, ProcessObjects::Instance()); }

LRESULT CALLBACK NewCatalogDrop::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCDESTROY:
        // A window destroyed before its message came (its thread ended).
        delete reinterpret_cast<Launch*>(SetWindowLongPtrA(window, GWLP_USERDATA, 0));
        return 0;
    case kRunMessage: {
        std::unique_ptr<Launch> launch(reinterpret_cast<Launch*>(SetWindowLongPtrA(window, GWLP_USERDATA, 0)));
        DestroyWindow(window);  // one dialog per drop
        if (launch == nullptr) return 0;
        // No exception may leave through the system's dispatching.
        try {
            Run(*launch);
        } catch (...) {
        }
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace cataloom
