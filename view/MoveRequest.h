// A move asked for by a drop: the sources a move block names, read from a
// data object and checked before anything moves.  The block may come from
// any process, so only category folders and catalogue files inside the data
// folder are ever moved, and only into a folder of the data folder that is
// not already theirs nor inside one of them; neither a source nor the
// destination may be reached through a link (IsContainedPath).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "core/ItemId.h"

namespace cataloom {

class MoveRequest {
public:
    // Reads the move format of `data`.  False, with no sources, when it
    // offers none, its block is damaged, or any path it names is not a
    // category folder or catalogue file inside the data folder.
    bool Read(IDataObject* data);
    bool Empty() const noexcept { return sources_.empty(); }
    const std::vector<std::string>& Sources() const noexcept { return sources_; }

    // True when `destination` is the data folder or a folder inside it,
    // every source changes place by moving there, and nothing there has a
    // source's name already.
    bool CanMoveInto(const char* destination) const;
    // Moves the sources into `destination` with the shell's file operation
    // (undo allowed), then tells
    // the shell and every open view what is on disk now, whatever the
    // outcome; `folder` (an absolute list, may be null) is the namespace
    // folder that holds the destination.  S_OK when every source moved;
    // E_FAIL when the move was refused, cancelled or only partly done.
    HRESULT MoveInto(const char* destination, const ItemId* folder) const;

private:
    bool Accept(const char* dataRoot, const char* path);

    std::vector<std::string> sources_;
};

}  // namespace cataloom
