#include "capture/CreateCatalogDialog.h"

#include <cstring>

#include "capture/CaptureProgressDialog.h"
#include "core/CaptureTask.h"
#include "core/CatalogReader.h"
#include "core/VolumeCapture.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

constexpr char kExtension[] = ".vmf";

// The file of a catalogue named `name`: the name with ".vmf" appended
// unless it ends in it already, so a name with a dot ("Disc 1.0") still
// gives a file the namespace lists.  False when the file name is not one
// the disk keeps as given in the folder itself.
bool CatalogFileName(const char* name, char* fileName) {
    if (text::CopyTruncated(fileName, kMaxPath, name) != std::strlen(name)) return false;
    if (!IsCatalogFileName(fileName)) {
        if (std::strlen(fileName) + sizeof kExtension > kMaxPath) return false;
        std::strcat(fileName, kExtension);
    }
    return path::IsPlainName(fileName);
}

// The length of the catalogue name recorded for the typed `name`: the name
// without a trailing ".vmf" (of any case), which belongs to the file.
std::size_t RecordedNameLength(const char* name) {
    const std::size_t length = std::strlen(name);
    return IsCatalogFileName(name) ? length - (sizeof kExtension - 1) : length;
}

}  // namespace

INT_PTR CreateCatalogDialog::Run(HWND owner) noexcept {
    request_.resultFile[0] = '\0';
    request_.replaced = false;
    INT_PTR result = DialogBoxParamA(ProcessObjects::Instance(), MAKEINTRESOURCEA(IDD_CREATE_CATALOG), owner,
                                     Procedure, reinterpret_cast<LPARAM>(this));
    return result == 1 ? 1 : 2;
}

INT_PTR CALLBACK CreateCatalogDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<CreateCatalogDialog*>(lParam)->Open(window);
        return FALSE;  // the focus is set
    }
    auto* self = reinterpret_cast<CreateCatalogDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        self->Accept(window);
        return TRUE;
    case IDCANCEL:
        EndDialog(window, 2);
        return TRUE;
    default:
        return FALSE;
    }
}

void CreateCatalogDialog::Open(HWND window) {
    CheckDlgButton(window, IDC_CLOSE_WHEN_DONE, BST_CHECKED);
    if (!VolumeCapture(request_.source, &request_.header)) {
        ShowLibraryMessage(window, IDS_NO_MEDIA_INFO, MB_OK | MB_ICONERROR);
        EndDialog(window, 2);
        return;
    }
    request_.header.name[sizeof request_.header.name - 1] = '\0';
    HWND edit = GetDlgItem(window, IDC_CATALOG_NAME);
    SetWindowTextA(edit, request_.header.name);
    SendMessageA(edit, EM_LIMITTEXT, kMaxCatalogNameLength, 0);
    SetFocus(edit);
}

void CreateCatalogDialog::Accept(HWND window) {
    // Read with room to spare: a longer text than the limit is refused, not cut.
    char name[2 * kMaxPath] = {};
    GetDlgItemTextA(window, IDC_CATALOG_NAME, name, sizeof name);
    char target[kMaxPath];
    if (!ChooseTarget(window, name, target)) return;
    // The catalogue keeps the name as typed, dots and all, but not the file's extension.
    std::memset(request_.header.name, 0, sizeof request_.header.name);
    std::memcpy(request_.header.name, name, RecordedNameLength(name));
    Capture(window, target);
    EndDialog(window, 1);
}

bool CreateCatalogDialog::ChooseTarget(HWND window, const char* name, char* target) {
    char folder[kMaxPath];
    char fileName[kMaxPath];
    bool fits = std::strlen(name) <= kMaxCatalogNameLength && RecordedNameLength(name) > 0 &&
                path::IsValidName(name) && CatalogFileName(name, fileName);
    if (fits && request_.dataFolder[0] != '\0') {
        fits = text::CopyTruncated(folder, sizeof folder, request_.dataFolder) == std::strlen(request_.dataFolder);
    } else if (fits) {
        fits = ProcessObjects::Settings().GetEffectiveDataRoot(folder, sizeof folder) != 0;
    }
    // A folder named like the file cannot be replaced by it.
    fits = fits && path::Combine(target, folder, fileName) && !path::IsDirectory(target);
    if (!fits) {
        ShowLibraryMessage(window, IDS_INVALID_FILE_NAME, MB_OK | MB_ICONWARNING);
        return false;
    }
    CreateDirectoryA(folder, nullptr);  // the data folder may not exist yet
    // Only asked here: the capture replaces the file once the new one is complete.
    const bool exists = path::Exists(target);
    if (exists && ShowLibraryMessage(window, IDS_OVERWRITE_QUESTION, MB_YESNOCANCEL | MB_ICONQUESTION) != IDYES)
        return false;
    request_.replaced = exists;
    return true;
}

void CreateCatalogDialog::Capture(HWND window, const char* target) {
    const bool closeOnFinish = IsDlgButtonChecked(window, IDC_CLOSE_WHEN_DONE) == BST_CHECKED;
    CaptureProgressDialog progress(closeOnFinish);
    CaptureTask task(request_.source, target, request_.header, progress);
    if (!progress.Run(window, task)) return;
    request_.header = task.Header();
    text::CopyTruncated(request_.resultFile, sizeof request_.resultFile, target);
    // The next open reads the new file, whatever the reader held of the old one.
    ProcessObjects::Reader().Release();
}

}  // namespace cataloom
