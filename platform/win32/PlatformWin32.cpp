// The platform seam on Windows: the real Win32 calls, nothing else.
#include "platform/Platform.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace cataloom::platform {
namespace {

FileTime ToFileTime(const FILETIME& ft) {
    return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

std::wstring Widen(const char* ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), n);
    wide.pop_back();
    return wide;
}

// `wide` in the ANSI code page as the ANSI calls give it, cut at a
// character boundary to fit `out`; true when that is the name itself (no
// character was lost, replaced by a look-alike or cut off).
// `length` UTF-16 units (-1: up to the terminator) in UTF-8.
std::string ToUtf8(const wchar_t* wide, int length) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), bytes, nullptr, nullptr);
    if (length < 0) utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

bool ToAnsiName(const wchar_t* wide, char (&out)[kMaxPath]) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.data(), bytes, nullptr, nullptr);
    ansi.resize(std::strlen(ansi.c_str()));
    std::size_t length = 0;
    for (const char* p = ansi.c_str(); *p != '\0'; p = CharNextA(p)) {
        auto next = static_cast<std::size_t>(CharNextA(p) - ansi.c_str());
        if (next >= kMaxPath) break;
        length = next;
    }
    std::memcpy(out, ansi.data(), length);
    out[length] = '\0';
    return length == ansi.size() && Widen(out) == wide;
}

// The names come from the Unicode listing: the ANSI calls would turn a
// character that code page 932 lacks into "?" or silently into a look-alike
// ("é" into "e"), and a name changed that way reaches a different file or
// none.  Such a name reaches the entry through its short name, if the
// system made one.
void CopyFindData(const WIN32_FIND_DATAW& found, FindData& out) {
    out.attributes = found.dwFileAttributes;
    out.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    out.creationTime = ToFileTime(found.ftCreationTime);
    out.lastWriteTime = ToFileTime(found.ftLastWriteTime);
    out.nameChanged = !ToAnsiName(found.cFileName, out.name);
    out.exactName = out.nameChanged ? ToUtf8(found.cFileName, -1) : std::string();
    if (!out.nameChanged) std::memcpy(out.nativeName, out.name, sizeof(out.nativeName));
    else if (found.cAlternateFileName[0] == L'\0' || !ToAnsiName(found.cAlternateFileName, out.nativeName))
        out.nativeName[0] = '\0';
}

bool EndsWithSeparator(const std::string& path) {
    const char* last = nullptr;
    for (const char* p = path.c_str(); *p != '\0'; p = CharNextA(p)) last = p;
    return last != nullptr && *last == '\\';
}

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

thread_local IoError lastIoError = IoError::kNone;

// Records why the call that just failed failed; returns false for the caller.
bool Failed() {
    switch (GetLastError()) {
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: lastIoError = IoError::kDiskFull; break;
    case ERROR_WRITE_PROTECT: lastIoError = IoError::kReadOnly; break;
    // A file another program holds open is in use, not forbidden: that is
    // left to the generic text.
    case ERROR_ACCESS_DENIED: lastIoError = IoError::kAccessDenied; break;
    case ERROR_FILENAME_EXCED_RANGE: case ERROR_BUFFER_OVERFLOW: lastIoError = IoError::kNameTooLong; break;
    case ERROR_FILE_EXISTS: case ERROR_ALREADY_EXISTS: lastIoError = IoError::kExists; break;
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: lastIoError = IoError::kNotFound; break;
    default: lastIoError = IoError::kOther; break;
    }
    return false;
}

}  // namespace

int CompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }
int CompareCase(const char* a, const char* b) { return lstrcmpA(a, b); }
bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

std::string StoredToUtf8(const char* stored) {
    if (stored == nullptr || *stored == '\0') return std::string();
    int wide = MultiByteToWideChar(932, 0, stored, -1, nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(932, 0, stored, -1, utf16.data(), wide);
    return ToUtf8(utf16.c_str(), -1);
}

char32_t FoldCase(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    // The system folds UTF-16 units; characters beyond them stay as they are.
    if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return c;
    wchar_t unit[2] = {static_cast<wchar_t>(c), L'\0'};
    CharUpperBuffW(unit, 1);
    CharLowerBuffW(unit, 1);
    return unit[0];
}

std::string Utf8ToStored(const std::string& utf8, bool& changed) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide > 0 ? wide : 1), L'\0');
    if (wide > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, utf16.data(), wide);
    char stored[kMaxPath];
    changed = !ToAnsiName(utf16.c_str(), stored) || ToUtf8(utf16.c_str(), -1) != utf8;
    return stored;
}

unsigned char UpperChar(unsigned char c) {
    // CharUpperA takes a single character in the low word of the pointer.
    return static_cast<unsigned char>(reinterpret_cast<UINT_PTR>(CharUpperA(reinterpret_cast<LPSTR>(
        static_cast<UINT_PTR>(c)))));
}

void* TaskAlloc(std::size_t bytes) { return CoTaskMemAlloc(bytes); }
void TaskFree(void* block) { CoTaskMemFree(block); }

struct DirectorySearch::State {
    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW first{};
    bool firstPending = false;

    void Open(const char* pattern) {
        handle = FindFirstFileW(Widen(pattern).c_str(), &first);
        firstPending = handle != INVALID_HANDLE_VALUE;
    }
};

DirectorySearch::DirectorySearch(const char* pattern) : state_(new State) {
    if (pattern != nullptr && *pattern != '\0') state_->Open(pattern);
}

DirectorySearch::DirectorySearch(NativeDirectory directory) : state_(new State) {
    if (directory.path != nullptr && *directory.path != '\0')
        state_->Open(JoinNativePath(directory.path, "*.*").c_str());
}

DirectorySearch::~DirectorySearch() {
    if (state_->handle != INVALID_HANDLE_VALUE) FindClose(state_->handle);
    delete state_;
}

bool DirectorySearch::IsOpen() const { return state_->handle != INVALID_HANDLE_VALUE; }

bool DirectorySearch::Next(FindData& out) {
    if (state_->handle == INVALID_HANDLE_VALUE) return false;
    if (state_->firstPending) {
        state_->firstPending = false;
        CopyFindData(state_->first, out);
        return true;
    }
    WIN32_FIND_DATAW found{};
    if (!FindNextFileW(state_->handle, &found)) return false;
    CopyFindData(found, out);
    return true;
}

std::string NativePath(const char* path) { return path ? path : ""; }

std::string JoinNativePath(const std::string& directory, const char* name) {
    if (directory.empty() || EndsWithSeparator(directory)) return directory + name;
    return directory + '\\' + name;
}

bool GetAttributes(const char* path, std::uint32_t& attributes) {
    if (path == nullptr || *path == '\0') return false;
    DWORD a = GetFileAttributesA(path);
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
}

PathKind GetPathKind(const char* path) {
    if (path == nullptr || *path == '\0') return PathKind::kMissing;
    DWORD a = GetFileAttributesA(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathKind::kLink;
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::kDirectory;
    // Device names ("NUL", "COM1", "\\.\pipe\x") open without being files
    // on a disk; asking for no access touches nothing.
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return a == INVALID_FILE_ATTRIBUTES ? PathKind::kMissing : PathKind::kOther;
    DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? PathKind::kRegularFile : PathKind::kOther;
}

bool GetFileStamp(const char* path, FileStamp& stamp) {
    if (path == nullptr || *path == '\0') return false;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWriteTime = ToFileTime(data.ftLastWriteTime);
    // The identity needs a handle; a stamp taken by name has none.
    stamp.fileId = 0;
    return true;
}

bool MakeDirectory(const char* path) { return path && CreateDirectoryA(path, nullptr); }
bool DeleteDirectory(const char* path) { return path && RemoveDirectoryA(path); }
bool RemoveFile(const char* path) { return path && DeleteFileA(path); }
// A file another handle holds without delete sharing cannot be deleted.
bool RemoveUnheldFile(const char* path) { return RemoveFile(path); }
bool MoveReplacing(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) return false;
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    // An existing target refused as "access denied" is read-only, a
    // directory or a file another program holds open, not a matter of
    // permission: say read-only where it is, leave the rest to the generic text.
    DWORD target = GetLastError() == ERROR_ACCESS_DENIED ? GetFileAttributesA(to) : INVALID_FILE_ATTRIBUTES;
    Failed();
    if (target == INVALID_FILE_ATTRIBUTES) return false;
    bool readOnly = (target & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == FILE_ATTRIBUTE_READONLY;
    lastIoError = readOnly ? IoError::kReadOnly : IoError::kOther;
    return false;
}

void KeepAccess(const char* existing, const char* replacement) {
    if (existing == nullptr || replacement == nullptr) return;
    DWORD old = GetFileAttributesA(existing);
    if (old == INVALID_FILE_ATTRIBUTES || (old & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    // The security of a file follows its folder; what a user sets on the
    // file itself is whether it is hidden or a system file.
    DWORD kept = old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    DWORD now = GetFileAttributesA(replacement);
    if (kept != 0 && now != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(replacement, now | kept);
}

IoError LastIoError() { return lastIoError; }

std::uint32_t ProcessId() { return GetCurrentProcessId(); }

bool File::Open(const char* path, unsigned access, unsigned share, bool mustExist) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    DWORD desired = ((access & kRead) ? GENERIC_READ : 0) | ((access & kWrite) ? GENERIC_WRITE : 0);
    DWORD shareMode = ((share & kShareRead) ? FILE_SHARE_READ : 0) |
                      ((share & kShareWrite) ? FILE_SHARE_WRITE : 0);
    HANDLE h = CreateFileA(path, desired, shareMode, nullptr,
                           mustExist ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed();
    // An existing file must be a disk file: a pipe or a device named like a
    // catalogue is refused.  A file the caller creates is whatever it named.
    if (mustExist && GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool File::CreateNew(const char* path) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    // CREATE_NEW makes the check and the creation one step: of two processes
    // asking for one name, exactly one gets the file.
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed();
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool MappedFile::Open(const char* path) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    // Shared for deletion too, so that another process can still replace
    // the file by a rename while it is mapped here.
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
              static_cast<std::uint64_t>(size.QuadPart) <= SIZE_MAX;
    if (ok && size.QuadPart > 0) {
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (mapping != nullptr) CloseHandle(mapping);  // the view keeps the mapping
        ok = view != nullptr;
        if (ok) {
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = static_cast<std::size_t>(size.QuadPart);
        }
    }
    CloseHandle(file);
    return ok;
}

void MappedFile::Close() {
    if (data_ != nullptr) UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
}

std::string CacheFolder() {
    char path[MAX_PATH];
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return path;
}

bool File::Stamp(FileStamp& stamp) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!IsOpen() || !GetFileInformationByHandle(AsHandle(handle_), &info)) return false;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.lastWriteTime = ToFileTime(info.ftLastWriteTime);
    stamp.fileId = ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) ^
                   (static_cast<std::uint64_t>(info.dwVolumeSerialNumber) << 48);
    return true;
}

std::size_t File::Read(void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr || bytes > MAXDWORD) return 0;
    DWORD done = 0;
    if (!ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(bytes), &done, nullptr)) return 0;
    return done;
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr || bytes > MAXDWORD) return 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    if (!ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(bytes), &done, &at)) return 0;
    return done;
}

std::size_t File::Write(const void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr || bytes > MAXDWORD) return 0;
    DWORD done = 0;
    if (!WriteFile(AsHandle(handle_), buffer, static_cast<DWORD>(bytes), &done, nullptr)) return Failed();
    return done;
}

bool File::Seek(std::int64_t offset, Origin origin) {
    if (!IsOpen()) return false;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    DWORD method = origin == kBegin ? FILE_BEGIN : origin == kCurrent ? FILE_CURRENT : FILE_END;
    return SetFilePointerEx(AsHandle(handle_), distance, nullptr, method) != FALSE;
}

bool File::Flush() { return IsOpen() && (FlushFileBuffers(AsHandle(handle_)) || Failed()); }

bool File::Close() {
    if (!IsOpen()) return false;
    CloseHandle(AsHandle(handle_));
    handle_ = kInvalid;
    return true;
}

void File::Detach() { handle_ = kInvalid; }

bool GetVolumeInfo(const char* root, VolumeInfo& info) {
    if (root == nullptr) return false;
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (!GetVolumeInformationA(root, info.label, sizeof(info.label), &serial, &maxComponent, &flags,
                               info.fileSystem, sizeof(info.fileSystem)))
        return false;
    info.serial = serial;
    return true;
}

std::uint32_t DriveTypeOf(const char* path) { return path ? GetDriveTypeA(path) : kDriveUnknown; }

bool GetDiskSpace(const char* path, std::uint64_t& total, std::uint64_t& free) {
    if (path == nullptr) return false;
    // Looked up at run time: older systems only have the cluster query.
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    auto query = reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    if (query != nullptr) {
        ULARGE_INTEGER available, totalBytes, freeBytes;
        if (query(path, &available, &totalBytes, &freeBytes)) {
            total = totalBytes.QuadPart;
            free = freeBytes.QuadPart;
            return true;
        }
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(path, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return false;
    // The old query's results are 32-bit products, as the old system computed them.
    DWORD cluster = sectorsPerCluster * bytesPerSector;
    total = static_cast<DWORD>(cluster * totalClusters);
    free = static_cast<DWORD>(cluster * freeClusters);
    return true;
}

FileTime CurrentTime() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ToFileTime(ft);
}

bool ToLocalTime(FileTime time, LocalTime& local) {
    FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME localFt;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &localFt) || !FileTimeToSystemTime(&localFt, &st)) return false;
    local = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

}  // namespace cataloom::platform
