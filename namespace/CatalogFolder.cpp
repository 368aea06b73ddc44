#include "namespace/CatalogFolder.h"

#include <shellapi.h>

#include <cstring>
#include <new>
#include <string>

#include "core/CatalogFile.h"
#include "core/CatalogPath.h"
#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "core/StoredName.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/EntryNames.h"
#include "namespace/FolderObjects.h"
#include "namespace/FolderOperations.h"
#include "namespace/IconExtractor.h"
#include "namespace/ItemComparer.h"
#include "namespace/ItemEnumerator.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "platform/Platform.h"
#include "platform/win32/ShellFolderPath.h"
#include "settings/ClassIds.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr ULONG kFolderAttributes = SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_DROPTARGET;
constexpr ULONG kCategoryAttributes = SFGAO_FOLDER | SFGAO_DROPTARGET | SFGAO_HASPROPSHEET | SFGAO_CANDELETE |
                                      SFGAO_CANRENAME | SFGAO_CANMOVE;
constexpr ULONG kMediaAttributes = SFGAO_FOLDER | SFGAO_HASPROPSHEET | SFGAO_CANDELETE | SFGAO_CANMOVE;
constexpr std::size_t kNameCapacity = 520;  // display names and parsed names, in bytes
constexpr char kNameSpaceKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Desktop\\NameSpace\\"
    "{82B07BC4-AD2A-4D64-9D02-731A84AC7151}";

// Appends a name to a path of `length` bytes, adding a backslash unless the
// path is empty or ends in one; the new length, or -1 when it does not fit.
int AppendName(char* buffer, int length, std::size_t capacity, const char* name) {
    if (length < 0) return -1;
    if (name == nullptr || name[0] == '\0') return length;
    bool separator = length > 0 && !path::EndsWithBackslash(buffer);
    std::size_t needed = static_cast<std::size_t>(length) + (separator ? 1 : 0) + std::strlen(name) + 1;
    if (needed > capacity) return -1;
    if (separator) buffer[length++] = '\\';
    std::strcpy(buffer + length, name);
    return static_cast<int>(needed - 1);
}

// Appends an item's name to a file-system path.  Only a plain name: no
// identifier list, however it was made, reaches outside the data folder.
int AppendItemName(char* buffer, int length, std::size_t capacity, const char* name) {
    return path::IsPlainName(name) ? AppendName(buffer, length, capacity, name) : -1;
}

// Appends an entry's name to a catalogue path.  A name that would split into
// other components ("a\b", or a cut double-byte character taking the
// separator for its second byte) names another directory: none.
int AppendEntryName(char* buffer, int length, std::size_t capacity, const char* name) {
    return FitsCatalogPath(name) ? AppendCatalogName(buffer, length, capacity, name) : -1;
}

// A list holding a stored name no capture writes has no parsing name: no
// spelling of it would parse back to that item alone.
bool HoldsDamagedEntry(const ItemId* list) {
    for (const ItemId* r = list; !Ids::IsEnd(r); r = Ids::Next(r))
        if (Ids::Kind(r) == kKindEntry && IsDamagedName(Ids::Name(r))) return true;
    return false;
}

int CopyName(char* buffer, std::size_t capacity, const char* name) {
    std::size_t length = std::strlen(name);
    if (buffer == nullptr || length + 1 > capacity) return -1;
    std::memcpy(buffer, name, length + 1);
    return static_cast<int>(length);
}

// The name a record stands for on disk or in its catalogue; null for a
// record that names nothing an enumeration could have given: a category or
// catalogue whose name is not plain, a catalogue that is no catalogue file.
const char* RecordName(const ItemId* record) {
    switch (Ids::Kind(record)) {
    case kKindCategory: {
        const char* name = Ids::CategoryName(record);
        return path::IsPlainName(name) ? name : nullptr;
    }
    case kKindMedia: {
        const char* name = Ids::MediaFileName(record);
        return path::IsPlainName(name) && IsCatalogFileName(name) ? name : nullptr;
    }
    case kKindEntry: return Ids::Name(record);
    default: return nullptr;
    }
}

bool AllRecordsNameSomething(const ItemId* list) {
    for (const ItemId* r = list; !Ids::IsEnd(r); r = Ids::Next(r))
        if (RecordName(r) == nullptr) return false;
    return true;
}

// The next component of a backslash-separated name, stepping over
// double-byte characters; advances `cursor` past the separator.
std::size_t NextComponent(const char*& cursor, char* component, std::size_t capacity) {
    const char* start = cursor;
    while (*cursor != '\0' && *cursor != '\\') cursor = text::Next(cursor);
    std::size_t length = static_cast<std::size_t>(cursor - start);
    if (*cursor == '\\') ++cursor;
    if (length + 1 > capacity) return static_cast<std::size_t>(-1);
    std::memcpy(component, start, length);
    component[length] = '\0';
    return length;
}

bool ReadCatalogHeader(const char* path, CatalogHeader& header) {
    return ReadHeader(path, &header) && IsCatalogHeader(&header);
}

std::size_t HeaderName(const CatalogHeader& header, char* buffer, std::size_t capacity) {
    char name[sizeof header.name];
    std::memcpy(name, header.name, sizeof name);
    name[sizeof name - 1] = '\0';
    return text::CopyTruncated(buffer, capacity, name);
}

}  // namespace

CatalogFolder::CatalogFolder(CatalogFolder* parent, const char* name) noexcept : parent_(parent), name_() {
    if (parent_ != nullptr) parent_->AddRef();
    text::CopyTruncated(name_, sizeof name_, name != nullptr ? name : "");
}

CatalogFolder::~CatalogFolder() {
    ProcessObjects::ItemIds().Free(list_);
    if (parent_ != nullptr) parent_->Release();
}

void* CatalogFolder::QueryExtra(REFIID iid) noexcept {
    if (IsEqualIID(iid, IID_IPersistFolder)) return static_cast<IPersistFolder*>(this);
    return IsEqualIID(iid, IID_IPersist) ? static_cast<IPersist*>(this) : nullptr;
}

// ---- Levels and paths ------------------------------------------------------

bool CatalogFolder::IsFileSystemLevel() const noexcept {
    if (IsTop()) return !topIsCatalogue_;
    return Ids::KindOfLast(list_) == kKindCategory;
}

bool CatalogFolder::IsCatalogueLevel() const noexcept {
    if (IsTop()) return topIsCatalogue_;
    std::uint16_t kind = Ids::KindOfLast(list_);
    return kind == kKindMedia || kind == kKindEntry;
}

int CatalogFolder::FileSystemPath(const ItemId* item, char* buffer, std::size_t capacity) const noexcept {
    if (buffer == nullptr || capacity == 0) return -1;
    int length = 0;
    if (IsTop()) {
        if (name_[0] == '\0') return -1;  // no usable data folder
        length = CopyName(buffer, capacity, name_);
    } else {
        length = parent_->FileSystemPath(nullptr, buffer, capacity);
        // Inside a catalogue every folder has the catalogue file's path.
        if (parent_->IsFileSystemLevel()) length = AppendItemName(buffer, length, capacity, name_);
    }
    std::uint16_t kind = Ids::Kind(item);
    if (kind != kKindCategory && kind != kKindMedia) return length;
    const char* name = RecordName(item);
    return name != nullptr ? AppendItemName(buffer, length, capacity, name) : -1;
}

int CatalogFolder::CataloguePath(const ItemId* item, char* buffer, std::size_t capacity) const noexcept {
    if (buffer == nullptr || capacity == 0) return -1;
    buffer[0] = '\0';
    int length = 0;
    const ItemId* last = Ids::Last(list_);
    if (IsTop()) {
        CatalogHeader header;
        if (!topIsCatalogue_) return 0;
        if (ReadCatalogHeader(name_, header)) {
            char name[sizeof header.name];
            HeaderName(header, name, sizeof name);
            length = CopyName(buffer, capacity, name);
        }
    } else if (Ids::Kind(last) == kKindMedia) {
        length = CopyName(buffer, capacity, Ids::MediaName(last));
    } else if (Ids::Kind(last) == kKindEntry) {
        length = AppendEntryName(buffer, parent_->CataloguePath(nullptr, buffer, capacity), capacity, name_);
    } else {
        return 0;
    }
    if (length >= 0 && Ids::Kind(item) == kKindEntry && Ids::Name(item)[0] != '\0')
        length = AppendEntryName(buffer, length, capacity, Ids::Name(item));
    return length;
}

ItemId* CatalogFolder::ChildIdList(const ItemId* item) const noexcept {
    return ProcessObjects::ItemIds().Join(list_, item);
}

// ---- IPersistFolder --------------------------------------------------------

STDMETHODIMP CatalogFolder::GetClassID(CLSID* clsid) noexcept {
    if (clsid != nullptr) *clsid = kClsidFolder;
    return S_OK;
}

STDMETHODIMP CatalogFolder::Initialize(PCIDLIST_ABSOLUTE list) noexcept {
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    ids.Free(list_);
    list_ = ids.Copy(AsItemId(list));
    if (list != nullptr && list_ == nullptr) return E_OUTOFMEMORY;
    if (name_[0] != '\0') return S_OK;

    // A top folder: rooted on a catalogue file, or the data folder.
    char path[MAX_PATH] = {};
    // Opened from a catalogue file ("explore"); a data folder whose own name
    // ends in .vmf is still a folder.
    if (list != nullptr && SHGetPathFromIDListA(list, path) && IsCatalogFileName(path) && !path::IsDirectory(path)) {
        text::CopyTruncated(name_, sizeof name_, path);
        topIsCatalogue_ = true;
        return S_OK;
    }
    SettingsStore::DataRootProblem problem = SettingsStore::DataRootProblem::kNone;
    if (ProcessObjects::Settings().GetEffectiveDataRoot(name_, sizeof name_, &problem) == 0) {
        // An unusable setting names no folder: none is used in its place, the
        // folder lists nothing and its view says why.
        name_[0] = '\0';
        return problem != SettingsStore::DataRootProblem::kNone ? S_OK : E_FAIL;
    }
    CreateDirectoryA(name_, nullptr);  // an existing folder is fine
    return S_OK;
}

STDMETHODIMP CatalogFolder::GetCurFolder(PIDLIST_ABSOLUTE* list) noexcept {
    if (list == nullptr) return E_POINTER;
    *list = nullptr;
    if (list_ == nullptr) return S_FALSE;  // not initialized yet
    *list = reinterpret_cast<PIDLIST_ABSOLUTE>(ProcessObjects::ItemIds().Copy(list_));
    return *list != nullptr ? S_OK : E_OUTOFMEMORY;
}

// ---- IShellFolder ----------------------------------------------------------

STDMETHODIMP CatalogFolder::ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG* eaten, PIDLIST_RELATIVE* list,
                                             ULONG* attributes) noexcept {
    if (list == nullptr) return E_POINTER;
    *list = nullptr;
    if (name == nullptr) return E_POINTER;
    char ansi[kNameCapacity];
    if (!WideToAnsi(name, ansi, sizeof ansi)) return E_INVALIDARG;
    ItemId* result = nullptr;
    HRESULT hr = ParseName(ansi, &result);
    if (FAILED(hr)) return hr;
    *list = AsIdList(result);
    // The shell counts eaten characters in the string it gave.
    if (eaten != nullptr) *eaten = static_cast<ULONG>(lstrlenW(name));
    if (attributes != nullptr) {
        PCUITEMID_CHILD child = reinterpret_cast<PCUITEMID_CHILD>(result);
        GetAttributesOf(1, &child, attributes);
    }
    return S_OK;
}

HRESULT CatalogFolder::ParseName(const char* name, ItemId** result) const {
    enum class State { kCategory, kMedia, kEntry };
    char fileSystem[kMaxPath];
    char catalogue[kNameCapacity];
    if (FileSystemPath(nullptr, fileSystem, sizeof fileSystem) < 0 ||
        CataloguePath(nullptr, catalogue, sizeof catalogue) < 0)
        return E_FAIL;
    // Inside a catalogue every name is an entry of the current directory.
    State state = IsCatalogueLevel() ? State::kEntry : State::kCategory;
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    CatalogReader& reader = ProcessObjects::Reader();
    TaskMemory<ItemId> parsed;
    const char* cursor = name;
    char component[kNameCapacity];
    while (*cursor != '\0') {
        std::size_t length = NextComponent(cursor, component, sizeof component);
        if (length == static_cast<std::size_t>(-1)) return E_FAIL;
        if (length == 0) continue;  // doubled or trailing backslash
        // Nothing parsed may step out of its folder: no "." or "..", and on
        // disk only names the file system keeps as they are.
        if (path::IsDotEntry(component) || (state != State::kEntry && !path::IsPlainName(component)))
            return E_INVALIDARG;
        TaskMemory<ItemId> record;
        if (state == State::kCategory) {
            if (!path::Append(fileSystem, component)) return E_FAIL;
            DWORD found = GetFileAttributesA(fileSystem);
            // A name that exists nowhere on disk names nothing.
            if (found == INVALID_FILE_ATTRIBUTES) return E_FAIL;
            if ((found & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                record.Reset(ids.MakeCategory(component));
            } else {
                state = State::kMedia;
            }
        }
        if (state == State::kMedia) {
            CatalogHeader header;
            if (!ReadCatalogHeader(fileSystem, header)) return E_FAIL;
            record.Reset(ids.MakeMedia(component, header));
            HeaderName(header, catalogue, sizeof catalogue);
            state = State::kEntry;
        } else if (state == State::kEntry && record == nullptr) {
            std::uint8_t* block = nullptr;
            if (FAILED(reader.Open(fileSystem)) || FAILED(reader.ReadEntryList(catalogue, &block))) return E_FAIL;
            TaskMemory<std::uint8_t> entries(block);
            for (const std::uint8_t* entry = entries.Get(); EntryRecord::Size(entry) != 0;
                 entry += EntryRecord::Size(entry)) {
                // A damaged name is never the meaning of a parsed one.
                if (platform::CompareCase(EntryRecord::Name(entry), component) != 0 ||
                    IsDamagedName(EntryRecord::Name(entry)))
                    continue;
                record.Reset(ids.MakeEntry(entry));
                break;
            }
            if (record == nullptr) return E_FAIL;
            if (AppendCatalogName(catalogue, static_cast<int>(std::strlen(catalogue)), sizeof catalogue,
                                    component) < 0)
                return E_FAIL;
        }
        if (record == nullptr) return E_OUTOFMEMORY;
        TaskMemory<ItemId> joined(ids.Join(parsed.Get(), record.Get()));
        if (joined == nullptr) return E_OUTOFMEMORY;
        parsed = std::move(joined);
    }
    if (parsed == nullptr) return E_INVALIDARG;  // no name at all
    *result = parsed.Release();
    return S_OK;
}

STDMETHODIMP CatalogFolder::EnumObjects(HWND, SHCONTF flags, IEnumIDList** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return ComFirewall([&]() -> HRESULT {
        char fileSystem[kMaxPath];
        char catalogue[kNameCapacity];
        if (FileSystemPath(nullptr, fileSystem, sizeof fileSystem) < 0 ||
            CataloguePath(nullptr, catalogue, sizeof catalogue) < 0)
            return E_FAIL;
        auto* enumerator =
            new (std::nothrow) ItemEnumerator(flags, fileSystem, IsCatalogueLevel() ? catalogue : nullptr);
        if (enumerator == nullptr) return E_OUTOFMEMORY;
        HRESULT hr = enumerator->Listed() ? enumerator->QueryInterface(IID_IEnumIDList, reinterpret_cast<void**>(out))
                                          : E_FAIL;
        enumerator->Release();
        return hr;
    });
}

STDMETHODIMP CatalogFolder::BindToObject(PCUIDLIST_RELATIVE list, IBindCtx* context, REFIID iid,
                                         void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const ItemId* first = AsItemId(list);
    if (!IsEqualIID(iid, IID_IShellFolder) || Ids::IsEnd(first)) return E_FAIL;
    const char* name = RecordName(first);
    if (name == nullptr || (Ids::Kind(first) == kKindEntry && !FitsCatalogPath(name))) return E_FAIL;
    auto* child = new (std::nothrow) CatalogFolder(this, name);
    if (child == nullptr) return E_OUTOFMEMORY;
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    TaskMemory<ItemId> record(ids.CopyFirst(first));
    TaskMemory<ItemId> absolute(ids.Join(list_, record.Get()));
    HRESULT hr = absolute != nullptr ? child->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(absolute.Get()))
                                     : E_OUTOFMEMORY;
    if (SUCCEEDED(hr)) {
        const ItemId* rest = Ids::Next(first);
        hr = Ids::IsEnd(rest) ? child->QueryInterface(iid, out) : child->BindToObject(AsIdList(rest), context, iid, out);
    }
    child->Release();
    return hr;
}

STDMETHODIMP CatalogFolder::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** out) noexcept {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CatalogFolder::CompareIDs(LPARAM parameter, PCUIDLIST_RELATIVE first,
                                       PCUIDLIST_RELATIVE second) noexcept {
    return ComFirewall([&] { return ItemComparer::Compare(parameter, AsItemId(first), AsItemId(second)); });
}

STDMETHODIMP CatalogFolder::CreateViewObject(HWND owner, REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // The view, the background menu, the drop target and the property sheet
    // come from the installed constructors of the layers above.
    return CreateFolderObject(this, owner, 0, nullptr, iid, out);
}

ULONG CatalogFolder::AttributesOf(const ItemId* list) const {
    const ItemId* last = Ids::Last(list);
    switch (Ids::Kind(last)) {
    case kKindCategory: {
        // The category's folder is this folder's path followed by every
        // record of the list.
        char folder[kMaxPath];
        int length = FileSystemPath(nullptr, folder, sizeof folder);
        for (const ItemId* r = list; length >= 0 && !Ids::IsEnd(r); r = Ids::Next(r))
            length = AppendItemName(folder, length, sizeof folder, Ids::CategoryName(r));
        bool hasItems = length > 0 && (path::HasSubdirectories(folder) || path::HasFiles(folder, "*.vmf"));
        return kCategoryAttributes | (hasItems ? SFGAO_HASSUBFOLDER : 0);
    }
    case kKindMedia:
        return kMediaAttributes | (Ids::MediaHasFolders(last) != 0 ? SFGAO_HASSUBFOLDER : 0);
    case kKindEntry: {
        ULONG sub = (Ids::EntryFlags(last) & itemid::kHasFoldersFlag) != 0 ? SFGAO_HASSUBFOLDER : 0;
        return (Ids::EntryIsDirectory(last) ? SFGAO_FOLDER : 0) | sub;
    }
    default:
        return 0;
    }
}

STDMETHODIMP CatalogFolder::GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY lists, SFGAOF* attributes) noexcept {
    if (attributes == nullptr) return E_INVALIDARG;
    if (count == 0) {
        *attributes = kFolderAttributes;
        return S_OK;
    }
    if (lists == nullptr) return E_INVALIDARG;
    ULONG result = *attributes;
    for (UINT i = 0; i < count; ++i) {
        const ItemId* list = AsItemId(lists[i]);
        std::uint16_t kind = Ids::KindOfLast(list);
        if (kind != kKindCategory && kind != kKindMedia && kind != kKindEntry) return E_FAIL;
        if (!AllRecordsNameSomething(list)) return E_INVALIDARG;
        // Looking for sub-items reads the disk: only when they were asked for.
        if (kind == kKindCategory && (result & SFGAO_HASSUBFOLDER) == 0) {
            result &= kCategoryAttributes;
            continue;
        }
        result &= AttributesOf(list);
    }
    *attributes = result;
    return S_OK;
}

STDMETHODIMP CatalogFolder::GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY lists, REFIID iid, UINT*,
                                          void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    // The item menu, data object, drop target and property sheet come from
    // the installed constructors of the layers above; icons are the folder's.
    bool icon = IsEqualIID(iid, IID_IExtractIconA) || IsEqualIID(iid, IID_IExtractIconW);
    if (!icon) return CreateFolderObject(this, owner, count, reinterpret_cast<const ItemId* const*>(lists), iid, out);
    if (count != 1 || lists == nullptr) return E_NOINTERFACE;
    auto* extractor = new (std::nothrow) IconExtractor(this, AsItemId(lists[0]));
    if (extractor == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = extractor->Valid() ? extractor->QueryInterface(iid, out) : E_OUTOFMEMORY;
    extractor->Release();
    return hr;
}

STDMETHODIMP CatalogFolder::GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF flags, STRRET* name) noexcept {
    if (name == nullptr) return E_POINTER;
    char text[kNameCapacity];
    HRESULT hr = DisplayName(AsItemId(list), flags, text, sizeof text);
    if (FAILED(hr)) return hr;
    return MakeStrRet(text, name);
}

HRESULT CatalogFolder::DisplayName(const ItemId* list, SHGDNF flags, char* buffer, std::size_t capacity) const {
    buffer[0] = '\0';
    if ((flags & SHGDN_FORPARSING) == 0) {
        switch (Ids::Kind(list)) {
        case kKindCategory:
            text::CopyTruncated(buffer, capacity, Ids::CategoryName(list));
            return buffer[0] != '\0' ? S_OK : E_FAIL;
        case kKindMedia:  // the catalogue's name, not its file name
            if (Ids::MediaName(list)[0] != '\0') {
                text::CopyTruncated(buffer, capacity, VisibleName(Ids::MediaName(list)).c_str());
            } else {
                // A catalogue of an unlabelled volume: its file name without ".vmf".
                text::CopyTruncated(buffer, capacity, Ids::MediaFileName(list));
                std::size_t length = std::strlen(buffer);
                if (IsCatalogFileName(buffer) && length > 4) buffer[length - 4] = '\0';
            }
            return buffer[0] != '\0' ? S_OK : E_FAIL;
        case kKindEntry:
            text::CopyTruncated(buffer, capacity, EntryDisplayName(list).c_str());
            return S_OK;
        default:
            return E_INVALIDARG;
        }
    }
    if (HoldsDamagedEntry(list)) return E_FAIL;
    if ((flags & SHGDN_INFOLDER) != 0) return Ids::PathOf(list, buffer, capacity) > 0 ? S_OK : E_FAIL;

    // The full parsing name: this folder's own name as its parent gives it,
    // then the names of the list.
    HRESULT hr = ParentFolderDisplayName(flags, buffer, capacity);
    if (FAILED(hr)) return hr;
    if (Ids::IsEnd(list)) return S_OK;
    std::size_t length = std::strlen(buffer);
    if (length + 2 > capacity) return E_FAIL;
    buffer[length++] = '\\';
    // A name cut short would name another item.
    if (Ids::PathOf(list, buffer + length, capacity - length) < 0) return E_FAIL;
    path::RemoveBackslash(buffer);
    return S_OK;
}

HRESULT CatalogFolder::ParentFolderDisplayName(SHGDNF flags, char* buffer, std::size_t capacity) const {
    const ItemId* own = Ids::Last(list_);
    if (!IsTop()) return parent_->DisplayName(own, flags, buffer, capacity);

    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> parent;
    if (own != nullptr && SUCCEEDED(SHGetDesktopFolder(desktop.Put()))) {
        TaskMemory<ItemId> parentList(ProcessObjects::ItemIds().Copy(list_));
        if (parentList != nullptr) {
            ILRemoveLastID(reinterpret_cast<PUIDLIST_RELATIVE>(parentList.Get()));
            if (Ids::IsEnd(parentList.Get())) {
                parent = std::move(desktop);
            } else {
                desktop->BindToObject(AsIdList(parentList.Get()), nullptr, IID_IShellFolder, parent.PutVoid());
            }
        }
    }
    if (parent) {
        STRRET result = {};
        HRESULT hr = parent->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(own), flags, &result);
        if (FAILED(hr)) return hr;
        return StrRetToAnsi(&result, AsIdList(own), buffer, capacity) ? S_OK : E_FAIL;
    }
    // No parent folder: the namespace's own name.
    if ((flags & SHGDN_FORADDRESSBAR) != 0) {
        LONG size = static_cast<LONG>(capacity);
        if (RegQueryValueA(HKEY_LOCAL_MACHINE, kNameSpaceKey, buffer, &size) == ERROR_SUCCESS && buffer[0] != '\0')
            return S_OK;
    }
    text::CopyTruncated(buffer, capacity, kFolderParsingName);
    return S_OK;
}

STDMETHODIMP CatalogFolder::SetNameOf(HWND, PCUITEMID_CHILD list, LPCWSTR name, SHGDNF flags,
                                      PITEMID_CHILD* newList) noexcept {
    if (newList != nullptr) *newList = nullptr;
    if (list == nullptr || name == nullptr) return E_POINTER;
    if (flags != SHGDN_NORMAL) return E_INVALIDARG;
    SFGAOF attributes = SFGAO_CANRENAME;
    HRESULT hr = GetAttributesOf(1, &list, &attributes);
    if (FAILED(hr)) return hr;
    if ((attributes & SFGAO_CANRENAME) == 0) return E_NOTIMPL;  // only categories
    char ansi[kMaxPath];
    // The new name stays a name in this folder, exactly as the disk will
    // keep it: no separators, no "..", no trailing dot or space.
    if (!WideToAnsi(name, ansi, sizeof ansi) || !path::IsPlainName(ansi)) return E_INVALIDARG;
    ItemId* renamed = nullptr;
    hr = Rename(AsItemId(list), ansi, &renamed);
    if (FAILED(hr)) return hr;
    if (newList != nullptr) *newList = reinterpret_cast<PITEMID_CHILD>(renamed);
    else ProcessObjects::ItemIds().Free(renamed);
    return S_OK;
}

namespace {

// Gives a folder another spelling of its name (only letter case differs).
// Wine's MoveFile takes such a move for a move onto itself and leaves the
// name as it was, so the folder goes through a temporary name.
bool RespellFolder(const char* oldPath, const char* newPath) {
    std::string step = std::string(oldPath) + ".respell";
    if (step.size() >= kMaxPath || path::Exists(step.c_str())) return false;
    if (!MoveFileA(oldPath, step.c_str())) return false;
    if (MoveFileA(step.c_str(), newPath)) return true;
    MoveFileA(step.c_str(), oldPath);  // back to the old spelling
    return false;
}

}  // namespace

HRESULT CatalogFolder::Rename(const ItemId* item, const char* newName, ItemId** newItem) {
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    // An edit confirmed unchanged is no clash with itself.
    if (std::strcmp(Ids::CategoryName(item), newName) == 0) {
        *newItem = ids.Copy(item);
        return *newItem != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    char oldPath[kMaxPath];
    char newPath[kMaxPath];
    // Not through a link: the new path is a plain name in the same folder.
    CATALOOM_RETURN_IF_FAILED(FolderOperations(*this).ContainedPath(item, oldPath));
    int length = FileSystemPath(nullptr, newPath, sizeof newPath);
    if (AppendItemName(newPath, length, sizeof newPath, newName) < 0) return E_FAIL;
    // A new spelling of the same name is the same folder, not another one.
    const bool sameFolder = platform::CompareNoCase(Ids::CategoryName(item), newName) == 0;
    if (!sameFolder && path::Exists(newPath)) return E_FAIL;
    // Catalogues inside the folder move with it.
    ProcessObjects::Reader().Release();
    if (!(sameFolder ? RespellFolder(oldPath, newPath) : MoveFileA(oldPath, newPath) != FALSE)) return E_FAIL;

    TaskMemory<ItemId> renamed(ids.MakeCategory(newName));
    if (renamed == nullptr) return E_OUTOFMEMORY;
    TaskMemory<ItemId> oldFull(ChildIdList(item));
    TaskMemory<ItemId> newFull(ChildIdList(renamed.Get()));
    NotifyShellIdList(SHCNE_RENAMEFOLDER, oldFull.Get(), newFull.Get());
    FlushShellNotifications();
    ProcessObjects::Views().Notify(SHCNE_RENAMEFOLDER, list_, item, renamed.Get());
    *newItem = renamed.Release();
    return S_OK;
}

// ---- Folder operations -----------------------------------------------------

HRESULT CatalogFolder::NewCategoryName(char* buffer, std::size_t capacity) noexcept {
    return FolderOperations(*this).NewCategoryName(buffer, capacity);
}

HRESULT CatalogFolder::CreateCategory(const char* name, ItemId** newItem) noexcept {
    return FolderOperations(*this).CreateCategory(name, newItem);
}

HRESULT CatalogFolder::DeleteItems(const ItemId* const* items, UINT count) noexcept {
    return FolderOperations(*this).DeleteItems(items, count);
}

HRESULT CatalogFolder::RefreshItems(const ItemId* const* items, UINT count) noexcept {
    return FolderOperations(*this).RefreshItems(items, count);
}

}  // namespace cataloom
