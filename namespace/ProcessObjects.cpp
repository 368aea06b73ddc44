#include "namespace/ProcessObjects.h"

#include <cstddef>
#include <memory>
#include <new>

#include "tools/SettingsStore.h"

namespace cataloom {

namespace {
HINSTANCE g_instance = nullptr;
UINT g_fileMoveFormat = 0;
std::unique_ptr<SettingsStore> g_settings;

constexpr char kFileMoveFormatName[] = "Cataloom_ClipboardFormat_FileMove";

template <class T, std::unique_ptr<T>& holder>
bool Make() noexcept {
    holder.reset(new (std::nothrow) T());
    return holder != nullptr;
}

template <class T, std::unique_ptr<T>& holder>
void Drop() noexcept {
    holder.reset();
}

struct ProcessObject {
    bool (*create)();
    void (*destroy)();
};

// Creation order; destruction runs backwards.  The identifier factory (with
// the shell allocator), the catalogue reader, the view list and the icon
// cache each take one entry before the settings store, in that order.
constexpr ProcessObject kObjects[] = {
    {Make<SettingsStore, g_settings>, Drop<SettingsStore, g_settings>},
};
constexpr std::size_t kObjectCount = sizeof kObjects / sizeof kObjects[0];

void DestroyFirst(std::size_t count) noexcept {
    while (count > 0) kObjects[--count].destroy();
}
}  // namespace

bool ProcessObjects::Create(HINSTANCE instance) noexcept {
    g_instance = instance;
    for (std::size_t i = 0; i < kObjectCount; ++i) {
        if (!kObjects[i].create()) {
            DestroyFirst(i);
            return false;
        }
    }
    g_fileMoveFormat = RegisterClipboardFormatA(kFileMoveFormatName);
    return true;
}

void ProcessObjects::Destroy() noexcept { DestroyFirst(kObjectCount); }

HINSTANCE ProcessObjects::Instance() noexcept { return g_instance; }

SettingsStore& ProcessObjects::Settings() noexcept { return *g_settings; }

UINT ProcessObjects::FileMoveFormat() noexcept { return g_fileMoveFormat; }

}  // namespace cataloom
