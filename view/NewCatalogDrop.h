// A directory dropped on a category becomes a new catalogue there.  The drop
// only copies the paths and returns, so the drag source (possibly the
// shell's own window) is not held for the whole capture: the create dialog
// runs once the drag has ended, from a hidden window of the same thread.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace cataloom {

class NewCatalogDrop {
public:
    // Schedules the create dialog for `source` into the folder `destination`
    // (copied), owned by `owner` when that is a window of this thread;
    // `keepAlive` (may be null) is held until the dialog has ended.  False
    // when the paths do not fit or the hidden window cannot be made.
    static bool Schedule(HWND owner, const char* source, const char* destination, IUnknown* keepAlive) noexcept;
    // Unregisters the hidden window's class: a class left behind by an
    // unloaded library would point at code that is gone.
    static void UnregisterWindowClass() noexcept;

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace cataloom
