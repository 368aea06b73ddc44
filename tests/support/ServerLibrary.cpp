#include "tests/support/ServerLibrary.h"

#include <cstring>

#include "tests/support/WinTestSupport.h"

namespace cataloom::test {

ServerLibrary::ServerLibrary(const std::string& folder, const char* fileName) {
    const std::string target = folder + "\\" + fileName;
    EXPECT_TRUE(CopyFileA((ProgramFolder() + "Cataloom.dll").c_str(), target.c_str(), FALSE)) << target;
    module_ = LoadLibraryA(target.c_str());
    EXPECT_NE(module_, nullptr) << "cannot load " << target;
}

ServerLibrary::~ServerLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC ServerLibrary::Find(const char* name) const {
    return module_ == nullptr ? nullptr : GetProcAddress(module_, name);
}

HRESULT ServerLibrary::Register() const {
    auto function = Export<HRESULT(WINAPI*)()>("DllRegisterServer");
    return function == nullptr ? E_NOTIMPL : function();
}

HRESULT ServerLibrary::Unregister() const {
    auto function = Export<HRESULT(WINAPI*)()>("DllUnregisterServer");
    return function == nullptr ? E_NOTIMPL : function();
}

HRESULT ServerLibrary::GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    auto function = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    return function == nullptr ? E_NOTIMPL : function(clsid, iid, out);
}

HRESULT ServerLibrary::CanUnloadNow() const {
    auto function = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
    return function == nullptr ? E_NOTIMPL : function();
}

void RemoveRegistration() {
    const char* classesKeys[] = {
        "CLSID\\{82B07BC4-AD2A-4D64-9D02-731A84AC7151}",
        "CLSID\\{105C5504-6805-43AE-B6CA-095210D0D040}",
        "CLSID\\{E63863AF-8F2E-4221-884F-D7F5769681F7}",
        "CLSID\\{F13E43DB-6096-4C5A-A9CB-9C28C0D60383}",
        ".vmf",
        "Virtual.Media.File",
        "Directory\\shellex\\ContextMenuHandlers\\Cataloom",
        "Drive\\shellex\\ContextMenuHandlers\\Cataloom",
    };
    for (const char* key : classesKeys) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions\\static\\Cataloom");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Desktop\\NameSpace\\"
                   "{82B07BC4-AD2A-4D64-9D02-731A84AC7151}");
    HKEY approved = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                      0, KEY_ALL_ACCESS, &approved) == ERROR_SUCCESS) {
        for (const char* value : {"{82B07BC4-AD2A-4D64-9D02-731A84AC7151}", "{105C5504-6805-43AE-B6CA-095210D0D040}",
                                  "{E63863AF-8F2E-4221-884F-D7F5769681F7}", "{F13E43DB-6096-4C5A-A9CB-9C28C0D60383}"})
            RegDeleteValueA(approved, value);
        RegCloseKey(approved);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillmoor");
}

StoredValue ReadStoredValue(HKEY root, const std::string& key, const char* name) {
    StoredValue stored;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return stored;
    BYTE data[1024] = {};
    DWORD size = sizeof data - 1;
    if (RegQueryValueExA(opened, name, nullptr, &stored.type, data, &size) == ERROR_SUCCESS) {
        stored.exists = true;
        if (stored.type == REG_DWORD && size == sizeof(DWORD))
            std::memcpy(&stored.number, data, sizeof(DWORD));
        else
            stored.text = reinterpret_cast<const char*>(data);
    }
    RegCloseKey(opened);
    return stored;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

}  // namespace cataloom::test
