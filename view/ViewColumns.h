// The list's columns for a listing, with the widths the settings keep:
// "BrowserColumn" for categories and catalogues, "ViewerColumn" for the
// entries of a catalogue.
#pragma once

#include <windows.h>

#include <cstdint>

#include "namespace/ItemColumns.h"

namespace cataloom {

class ViewColumns {
public:
    // Inserts the listing's columns (header text, alignment, stored or
    // default width); false when one could not be inserted.
    static bool Insert(HWND list, Listing listing) noexcept;
    // Stores the list's current widths under the setting of the folder whose
    // own last record is of `folderKind`: a category's five, a catalogue's or
    // directory's four.  Any other folder (the namespace root) stores nothing.
    static void Store(HWND list, std::uint16_t folderKind) noexcept;
};

}  // namespace cataloom
