// A copy of Cataloom.dll in a temporary folder, loaded for the test, and a
// clean registry around it: every registration key is removed before and
// after each test so that tests can run in any order in a shared prefix.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>


namespace cataloom::test {

class ServerLibrary {
public:
    // Copies the library built beside the test program into `folder` under
    // `fileName` and loads it.
    ServerLibrary(const std::string& folder, const char* fileName);
    ~ServerLibrary();
    ServerLibrary(const ServerLibrary&) = delete;
    ServerLibrary& operator=(const ServerLibrary&) = delete;

    HMODULE Module() const { return module_; }
    HRESULT Register() const;
    HRESULT Unregister() const;
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const;
    HRESULT CanUnloadNow() const;

private:
    FARPROC Find(const char* name) const;
    template <class Function>
    Function Export(const char* name) const {
        // Through the generic function type, the one cast the compiler accepts silently.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(Find(name)));
    }
    HMODULE module_ = nullptr;
};

// Removes every key and value registration writes, and the settings.
void RemoveRegistration();

// One value as the registry holds it; `exists` false when it cannot be read.
struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::string text;
    DWORD number = 0;
};
StoredValue ReadStoredValue(HKEY root, const std::string& key, const char* name);
bool KeyExists(HKEY root, const std::string& key);

}  // namespace cataloom::test
