// Tells the shell and the open views that a catalogue file was created or
// that its header changed.  For a file in the data folder (directly or in a
// category) the views of its containing folder add or replace the item, and
// the shell hears of it by identifier list; any other file is announced by
// its path only.
#pragma once

#include "core/CatalogFile.h"

namespace cataloom {

class CatalogAnnouncer {
public:
    // A new catalogue at `path`.
    static void Created(const char* path) noexcept;
    // The catalogue at `path` was rewritten; `before` is the header it had,
    // which is what the open views still show (null when it is not known:
    // the views then only redraw the item).
    static void Changed(const char* path, const CatalogHeader* before) noexcept;

private:
    static void Announce(const char* path, const CatalogHeader* before, bool created) noexcept;
};

}  // namespace cataloom
