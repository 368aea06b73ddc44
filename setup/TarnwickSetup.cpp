// Tarnwick Setup: registers or unregisters the libraries its settings file
// lists.  Exits with 0, or 1 when some library failed.
#include <windows.h>
#include <commctrl.h>

#include "namespace/UniqueHandle.h"
#include "resources/TarnwickSetupResource.h"
#include "setup/SetupInfo.h"
#include "setup/SetupWizard.h"

namespace {
constexpr char kMutexName[] = "Tarnwick_Setup";
constexpr char kMessageCaption[] = "Tarnwick Setup";

// Owns the single-instance mutex; releases it before closing.
class InstanceMutex {
public:
    InstanceMutex() : handle_(CreateMutexA(nullptr, TRUE, kMutexName)) {
        alreadyRunning_ = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    ~InstanceMutex() {
        if (handle_.IsValid() && !alreadyRunning_) ReleaseMutex(handle_.Get());
    }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    bool AlreadyRunning() const { return alreadyRunning_; }

private:
    cataloom::UniqueHandle handle_;
    bool alreadyRunning_ = false;
};
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InstanceMutex mutex;
    if (mutex.AlreadyRunning()) return 0;

    cataloom::SetupInfo info;
    if (!info.Locate() || !info.Exists()) {
        char text[256] = {};
        LoadStringA(instance, IDS_NO_SETUP_INFO, text, sizeof text);
        MessageBoxA(nullptr, text, kMessageCaption, MB_OK | MB_ICONERROR);
        return 0;
    }

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    cataloom::SetupWizard wizard(instance, info);
    wizard.Run();
    return wizard.HadFailures() ? 1 : 0;
}
