#include "view/MoveRequest.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/MovePayload.h"
#include "core/PathUtil.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/ContainedPath.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "settings/SettingsStore.h"
#include "view/ItemDataObject.h"

namespace cataloom {
namespace {

// A locked global memory block, unlocked on destruction.
class LockedBlock {
public:
    explicit LockedBlock(HGLOBAL block) noexcept
        : block_(block), bytes_(block != nullptr ? static_cast<const std::uint8_t*>(GlobalLock(block)) : nullptr),
          size_(bytes_ != nullptr ? GlobalSize(block) : 0) {}
    ~LockedBlock() {
        if (bytes_ != nullptr) GlobalUnlock(block_);
    }
    LockedBlock(const LockedBlock&) = delete;
    LockedBlock& operator=(const LockedBlock&) = delete;
    const std::uint8_t* Bytes() const noexcept { return bytes_; }
    std::size_t Size() const noexcept { return size_; }

private:
    HGLOBAL block_;
    const std::uint8_t* bytes_;
    std::size_t size_;
};

// A storage medium released on destruction.
struct Medium {
    STGMEDIUM medium = {};
    ~Medium() { ReleaseStgMedium(&medium); }
};

// A UTF-16 path in the ANSI code page; false when it does not fit or holds
// a character the code page cannot: it would name another file.
bool ToAnsi(const std::u16string& wide, std::string& ansi) {
    char buffer[kMaxPath];
    BOOL lossy = FALSE;
    const std::wstring text(wide.begin(), wide.end());
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, buffer,
                                            static_cast<int>(sizeof buffer), nullptr, &lossy);
    if (written <= 0 || lossy) return false;
    ansi = buffer;
    return true;
}

bool IsCatalogueFile(const char* path) {
    CatalogHeader header;
    return IsCatalogFileName(path) && !path::IsDirectory(path) && ReadCatalogHeader(path, &header);
}

bool EffectiveDataRoot(char* dataRoot) {
    return ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, kMaxPath) != 0;
}

// The path `source` has once moved into `destination`.
std::string MovedPath(const std::string& source, const char* destination) {
    char moved[kMaxPath];
    if (!path::Combine(moved, destination, path::LastComponent(source.c_str()))) return {};
    return moved;
}

void NotifyHoldingFolder(const std::string& path) {
    char holder[kMaxPath];
    if (text::CopyTruncated(holder, sizeof holder, path.c_str()) != path.size() || !path::RemoveLastComponent(holder))
        return;
    if (!path::IsRoot(holder)) path::RemoveBackslash(holder);
    NotifyShellPath(SHCNE_UPDATEDIR, holder);
}

}  // namespace

bool MoveRequest::Read(IDataObject* data) {
    sources_.clear();
    char dataRoot[kMaxPath];
    if (data == nullptr || !EffectiveDataRoot(dataRoot)) return false;
    FORMATETC format = ItemDataObject::MoveFormat();
    Medium held;
    if (FAILED(data->GetData(&format, &held.medium)) || held.medium.tymed != TYMED_HGLOBAL) return false;
    MovePayload payload;
    {
        LockedBlock block(held.medium.hGlobal);
        if (block.Bytes() == nullptr || !payload.Parse(block.Bytes(), block.Size())) return false;
    }
    std::vector<std::string> paths = payload.Paths();
    for (const std::u16string& wide : payload.WidePaths()) {
        paths.emplace_back();
        if (!ToAnsi(wide, paths.back())) return false;
    }
    for (const std::string& path : paths) {
        if (!Accept(dataRoot, path.c_str())) {
            sources_.clear();
            return false;
        }
    }
    return !sources_.empty();
}

bool MoveRequest::Accept(const char* dataRoot, const char* path) {
    // Strictly inside, and not through a link: the data folder itself never moves.
    if (!move_rules::IsInside(dataRoot, path) || !IsContainedPath(dataRoot, path)) return false;
    if (!path::IsDirectory(path) && !IsCatalogueFile(path)) return false;
    sources_.emplace_back(path);
    return true;
}

bool MoveRequest::CanMoveInto(const char* destination) const {
    char dataRoot[kMaxPath];
    if (sources_.empty() || destination == nullptr || !EffectiveDataRoot(dataRoot)) return false;
    if (!IsContainedPath(dataRoot, destination) || !path::IsDirectory(destination)) return false;
    for (const std::string& source : sources_) {
        // Checked again: a link may have been put in place since the drag began.
        if (!IsContainedPath(dataRoot, source.c_str())) return false;
        if (!move_rules::ChangesPlace(source.c_str(), destination)) return false;
        // Wine's file operation replaces a file of the same name on a move
        // without asking: a catalogue there would be lost.
        const std::string moved = MovedPath(source, destination);
        if (moved.empty() || path::Exists(moved.c_str())) return false;
    }
    return true;
}

HRESULT MoveRequest::MoveInto(const char* destination, const ItemId* folder) const {
    if (!CanMoveInto(destination)) return E_INVALIDARG;
    // Both lists end in two zeros.
    std::string from;
    for (const std::string& source : sources_) from.append(source).push_back('\0');
    from.push_back('\0');
    char to[kMaxPath + 1] = {};
    std::strcpy(to, destination);
    // The shared reader may hold one of the files that move.
    ProcessObjects::Reader().Release();
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_MOVE;
    operation.pFrom = from.c_str();
    operation.pTo = to;
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR;
    const int result = SHFileOperationA(&operation);

    // What is on disk now decides, not what the operation says: the user may
    // have refused some items.
    bool everyMoved = result == 0 && !operation.fAnyOperationsAborted;
    for (const std::string& source : sources_) {
        const std::string moved = MovedPath(source, destination);
        const bool arrived = !moved.empty() && !path::Exists(source.c_str()) && path::Exists(moved.c_str());
        everyMoved = everyMoved && arrived;
        if (arrived && !path::IsDirectory(moved.c_str())) {
            AnnounceCatalog(moved.c_str(), CatalogChange::kAdded);
        } else if (arrived) {
            NotifyShellPath(SHCNE_MKDIR, moved.c_str());
        }
        NotifyHoldingFolder(source);
    }
    NotifyShellPath(SHCNE_UPDATEDIR, destination);
    if (folder != nullptr) NotifyShellIdList(SHCNE_UPDATEDIR, folder);
    FlushShellNotifications();
    ProcessObjects::Views().Notify(0, nullptr, nullptr, nullptr);
    return everyMoved ? S_OK : E_FAIL;
}

}  // namespace cataloom
