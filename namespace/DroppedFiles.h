// Reads the file-drop format (CF_HDROP) without trusting it: the names lie in
// a block of global memory that another program may have filled, so every
// offset and terminator is checked against the block's size.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstddef>

namespace cataloom {

// The first name of a DROPFILES block, in the ANSI code page.  False when
// the block is smaller than its header, the names start outside it, the
// first name is empty, ends beyond the block, has a character the code page
// cannot hold, or does not fit `capacity`.
bool FirstDroppedFile(HGLOBAL drop, char* buffer, std::size_t capacity) noexcept;
// The same from a data object's CF_HDROP (content aspect, every index,
// global memory); false when it offers none.
bool FirstDroppedFile(IDataObject* data, char* buffer, std::size_t capacity) noexcept;

}  // namespace cataloom
