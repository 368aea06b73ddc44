// Finding the folder view's list inside a browser window, for the programs
// that watch the view from outside (the screenshot tool, the benchmark).
#pragma once

#include <windows.h>

namespace cataloom {

// The list (id 2000) of the first "CataloomNameSpaceView" window below
// `top`; null when no view is there yet.
HWND FindFolderViewList(HWND top);

}  // namespace cataloom
