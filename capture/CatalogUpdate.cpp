#include "capture/CatalogUpdate.h"

#include <cstring>
#include <string>
#include <vector>

#include "capture/CaptureProgressDialog.h"
#include "core/CaptureTask.h"
#include "core/CatalogReader.h"
#include "core/VolumeCapture.h"
#include "core/VolumeCatalogs.h"
#include "namespace/ComResult.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

// Enough to know whether the first catalogue found is the only one.
constexpr std::size_t kCandidates = 2;

// Asks whether `file`, one of several catalogues of the volume, is the one
// to replace.
bool ConfirmReplacing(HWND owner, const char* file) {
    char format[512];
    LoadResourceText(IDS_UPDATE_WHICH_QUESTION, format, sizeof format);
    char question[sizeof format + kMaxPath];
    wsprintfA(question, format, file);
    return ShowLibraryMessage(owner, question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

HRESULT UpdateCatalog(HWND owner, const char* source, char* written) noexcept {
    if (source == nullptr || written == nullptr) return E_POINTER;
    written[0] = '\0';
    return ComFirewall([&]() -> HRESULT {
        CatalogHeader fresh;
        if (!VolumeCapture(source, &fresh)) {
            ShowLibraryMessage(owner, IDS_NO_MEDIA_INFO, MB_OK | MB_ICONERROR);
            return E_INVALIDARG;
        }
        char dataRoot[kMaxPath];
        std::vector<std::string> found;
        if (ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, sizeof dataRoot) != 0)
            found = FindVolumeCatalogs(dataRoot, fresh.serial, kCandidates);
        if (found.empty()) {
            ShowLibraryMessage(owner, IDS_NO_CATALOG_TO_UPDATE, MB_OK | MB_ICONERROR);
            return E_INVALIDARG;
        }
        const char* target = found.front().c_str();
        if (found.size() > 1 && !ConfirmReplacing(owner, target)) return S_OK;
        CatalogHeader old;
        if (!ReadHeader(target, &old) || !IsCatalogHeader(&old)) {
            ShowLibraryMessage(owner, IDS_NO_MEDIA_INFO, MB_OK | MB_ICONERROR);
            return E_INVALIDARG;
        }
        // The catalogue keeps its name, even when the volume's label changed.
        std::memcpy(fresh.name, old.name, sizeof fresh.name);
        fresh.name[sizeof fresh.name - 1] = '\0';

        CaptureProgressDialog progress(true);
        CaptureTask task(source, target, fresh, progress);
        if (progress.Run(owner, task)) {
            text::CopyTruncated(written, kMaxPath, target);
            ProcessObjects::Reader().Release();
        }
        return S_OK;
    });
}

}  // namespace cataloom
