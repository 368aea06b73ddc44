// The library's entry point and its four exports.
#include <windows.h>
#include <objbase.h>

#include "capture/CaptureLayer.h"
#include "namespace/ClassFactory.h"
#include "namespace/ObjectCount.h"
#include "namespace/ProcessObjects.h"
#include "library/Registration.h"
#include "namespace/ServerClasses.h"
#include "tools/PropertySheets.h"
#include "tools/Searcher.h"
#include "view/ViewLayer.h"

using cataloom::ProcessObjects;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        if (!ProcessObjects::Create(instance)) return FALSE;
        cataloom::InstallCaptureLayer();
        cataloom::InstallViewLayer();
        cataloom::InstallPropertySheets();
        cataloom::InstallSearcher();
        return TRUE;
    case DLL_PROCESS_DETACH:
        cataloom::UninstallViewLayer();
        ProcessObjects::Destroy();
        return TRUE;
    default:
        return TRUE;
    }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return cataloom::GetClassObject(cataloom::kServerClasses, cataloom::kServerClassCount, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return cataloom::ObjectCount().Get() == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return cataloom::RegisterServer(ProcessObjects::Instance()); }

STDAPI DllUnregisterServer() { return cataloom::UnregisterServer(ProcessObjects::Instance()); }
