// Tells the shell and the library's open views that a catalogue file of the
// data folder was written.  Every writer of catalogues uses it: the capture
// menu, the drop of a directory, the property pages.
#pragma once

#include <windows.h>

#include "core/CatalogFile.h"

namespace cataloom {

enum class CatalogChange {
    kAdded,     // a new file
    kReplaced,  // an existing file written again (an update, an overwrite)
};

// `path` is the catalogue file's full path.  The shell hears of the file
// (SHCNE_CREATE or SHCNE_UPDATEITEM with its identifier list) and of the
// folder that holds it (SHCNE_UPDATEDIR with its path, and for a new file
// with its identifier list too), then one flush.
// The views of the holding folder (the data folder or a category) then get
// SHCNE_MKDIR or SHCNE_UPDATEDIR with that folder's list as parent and the
// catalogue's record as item; views opened on a replaced catalogue or
// inside it are refreshed.  `before` is the header a replaced file had,
// which is what the open views and the shell still show: when its name
// differs they hear of a rename (SHCNE_RENAMEFOLDER) from that item to the
// new one, as a catalogue's name is part of its identity.  A file outside the data folder reaches the
// shell by its path only and gives E_INVALIDARG; a file the namespace root
// cannot parse gives the parse's error after the path notifications.
HRESULT AnnounceCatalog(const char* path, CatalogChange change, const CatalogHeader* before = nullptr) noexcept;

}  // namespace cataloom
