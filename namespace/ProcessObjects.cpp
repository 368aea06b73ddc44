#include "namespace/ProcessObjects.h"

#include <cstddef>
#include <memory>
#include <new>

#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "namespace/IconCache.h"
#include "namespace/ViewList.h"
#include "settings/SettingsStore.h"

namespace cataloom {

namespace {
HINSTANCE g_instance = nullptr;
UINT g_fileMoveFormat = 0;
std::unique_ptr<ItemIdFactory> g_itemIds;
std::unique_ptr<CatalogReader> g_catalogReader;
std::unique_ptr<ViewList> g_views;
std::unique_ptr<IconCache> g_icons;
std::unique_ptr<SettingsStore> g_settings;

constexpr char kFileMoveFormatName[] = "Cataloom_ClipboardFormat_FileMove";

template <class T, std::unique_ptr<T>& holder>
bool Make() noexcept {
    holder.reset(new (std::nothrow) T());
    return holder != nullptr;
}

// The icon cache adds the library's own icons to the system image lists.
bool MakeIconCache() noexcept {
    g_icons.reset(new (std::nothrow) IconCache(g_instance));
    if (g_icons != nullptr && !g_icons->IsReady()) g_icons.reset();
    return g_icons != nullptr;
}

template <class T, std::unique_ptr<T>& holder>
void Drop() noexcept {
    holder.reset();
}

struct ProcessObject {
    bool (*create)();
    void (*destroy)();
};

// Creation order; destruction runs backwards.  The identifier factory
// allocates through the shell's task allocator (CoTaskMemAlloc), which needs
// no object of its own.
constexpr ProcessObject kObjects[] = {
    {Make<ItemIdFactory, g_itemIds>, Drop<ItemIdFactory, g_itemIds>},
    {Make<CatalogReader, g_catalogReader>, Drop<CatalogReader, g_catalogReader>},
    {Make<ViewList, g_views>, Drop<ViewList, g_views>},
    {MakeIconCache, Drop<IconCache, g_icons>},
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

ItemIdFactory& ProcessObjects::ItemIds() noexcept { return *g_itemIds; }

CatalogReader& ProcessObjects::Reader() noexcept { return *g_catalogReader; }

ViewList& ProcessObjects::Views() noexcept { return *g_views; }

IconCache& ProcessObjects::Icons() noexcept { return *g_icons; }

SettingsStore& ProcessObjects::Settings() noexcept { return *g_settings; }

UINT ProcessObjects::FileMoveFormat() noexcept { return g_fileMoveFormat; }

}  // namespace cataloom
