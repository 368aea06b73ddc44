// One capture asked for by the shell: filled by the caller (source, data
// folder) and by the create dialog (header, result).
#pragma once

#include "core/CatalogFile.h"
#include "core/PathUtil.h"

namespace cataloom {

struct CaptureRequest {
    // The drive, share or directory to capture.
    char source[kMaxPath] = {};
    // Where the catalogue goes: a category folder, or empty for the data
    // folder of the settings.
    char dataFolder[kMaxPath] = {};
    // The written catalogue's full path; set only when the capture succeeded.
    char resultFile[kMaxPath] = {};
    // True when the result replaced a file of that name, as the user allowed.
    bool replaced = false;
    // From VolumeCapture, then named as the user typed; after a capture as
    // written, with sizes and counts.
    CatalogHeader header{};
};

}  // namespace cataloom
