// The names of a catalogue's entries as the namespace shows them.  They are
// computed from the stored bytes alone: a stored name is never handed to the
// system as if it were a path (the system would take "C:\x\calc.exe" for
// "calc.exe", resolve "..", or contact the host of a UNC name).
#pragma once

#include <string>

#include "core/ItemId.h"

namespace cataloom {

// The entry's display name: a damaged name made visible (core/StoredName.h);
// otherwise the name, without its extension when it is a file of a known
// type and the user's setting hides known extensions.
std::string EntryDisplayName(const ItemId* entry);

// A name that stands for the entry's type only ("x.txt", or "x" for a
// damaged name), for the system's type names and icons, which need nothing
// else of it.
std::string EntryTypeProbe(const ItemId* entry);

}  // namespace cataloom
