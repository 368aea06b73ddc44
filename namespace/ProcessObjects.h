// The objects that live from the library's load to its unload, created and
// destroyed under the loader lock in DllMain.
#pragma once

#include <windows.h>

namespace cataloom {

class CatalogReader;
class ItemIdFactory;
class SettingsStore;

class ProcessObjects {
public:
    // Creates every process-wide object in order and registers the move
    // clipboard format.  When one cannot be created, those already made are
    // destroyed again and false is returned: the library refuses to load.
    static bool Create(HINSTANCE instance) noexcept;
    // Destroys them in the reverse order of creation.
    static void Destroy() noexcept;

    // The library's own module, for every resource load.
    static HINSTANCE Instance() noexcept;
    static ItemIdFactory& ItemIds() noexcept;
    // The one cache of the most recently opened catalogue.
    static CatalogReader& Reader() noexcept;
    static SettingsStore& Settings() noexcept;
    // The number of "Cataloom_ClipboardFormat_FileMove".
    static UINT FileMoveFormat() noexcept;
};

}  // namespace cataloom
