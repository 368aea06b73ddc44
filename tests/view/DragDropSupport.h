// Helpers of the drag and drop tests: OLE for the program, the folders'
// drag objects, move blocks offered by a hand-made source (as any other
// process could offer them), and the list positions a drag aims at.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include "namespace/ComPtr.h"
#include "tests/namespace/ShellTestSupport.h"

namespace cataloom::test {

using Bytes = std::vector<std::uint8_t>;

// The move format as the system asks for it.
FORMATETC MoveFormatEtc();
// A folder's data object for its items named `names` (offset-44 names), in
// this order.
ComPtr<IDataObject> DataObjectFor(IShellFolder* folder, const std::vector<std::string>& names,
                                  HRESULT* result = nullptr);
// The bytes of a data object's move format; empty when it gives none.
Bytes MoveBlock(IDataObject* data, HRESULT* result = nullptr);
// A drop target of a folder: for the folder itself (empty name) or one item.
ComPtr<IDropTarget> DropTargetFor(IShellFolder* folder, const std::string& name, HRESULT* result = nullptr);

// A data object offering the move format with exactly `block`.
ComPtr<IDataObject> OfferedBlock(const Bytes& block);
// A move block listing `paths`, ANSI or UTF-16.
Bytes AnsiBlock(const std::vector<std::string>& paths);
Bytes WideBlock(const std::vector<std::string>& paths);

// The result of entering a target and dropping on it with `allowed` effects.
struct DropOutcome {
    DWORD entered = 0;  // effect after DragEnter
    HRESULT dropped = E_UNEXPECTED;
    DWORD effect = 0;  // effect after Drop
};
DropOutcome EnterAndDrop(IDropTarget* target, IDataObject* data, DWORD allowed);

// The screen position of a list's row (in its label), and of the empty
// space below the last row.
POINT RowPoint(HWND list, int row);
POINT BelowRows(HWND list);
// The row whose first column shows `text`; -1.
int RowOf(HWND list, const std::string& text);

}  // namespace cataloom::test
