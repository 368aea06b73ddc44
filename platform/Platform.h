// The platform seam: everything the portable catalogue core needs from the
// operating system.  Windows implements it with the real Win32 calls
// (platform/win32), Linux with POSIX calls and iconv (platform/posix).
//
// Strings are ANSI in code page 932 on both sides.  On Linux, names on disk
// are UTF-8 and are converted at this seam, so catalogues written on either
// system read the same on the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cataloom::platform {

constexpr std::size_t kMaxPath = 260;  // bytes, terminator included

// File attribute bits as Windows reports them.
enum Attribute : std::uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
    kAttrTemporary = 0x100,
    kAttrReparsePoint = 0x400,
};

// Drive type codes as GetDriveTypeA returns them.
enum DriveType : std::uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

// 100-nanosecond intervals since 1601-01-01 UTC, as a FILETIME holds them.
using FileTime = std::uint64_t;

// ---- Collation and code page ------------------------------------------------

// The system's case-insensitive locale collation (lstrcmpiA): <0, 0, >0.
int CompareNoCase(const char* a, const char* b);
// The system's case-sensitive locale collation (lstrcmpA): <0, 0, >0.
int CompareCase(const char* a, const char* b);
// True for a lead byte of a double-byte character in code page 932.
bool IsLeadByte(unsigned char c);
// The system's upper-casing of one single-byte character (CharUpperA).
unsigned char UpperChar(unsigned char c);
// A code page 932 name in UTF-8; a sequence the code page does not define
// becomes "?".
std::string StoredToUtf8(const char* stored);
// One character folded for comparisons without regard to case (the
// system's Unicode lower-casing of its upper-case form).
char32_t FoldCase(char32_t c);
// A UTF-8 name in code page 932 as a listing stores it (FindData::name);
// `changed` tells whether that is not the same name.
std::string Utf8ToStored(const std::string& utf8, bool& changed);

// ---- The shell's task allocator --------------------------------------------

void* TaskAlloc(std::size_t bytes);
void TaskFree(void* block);

// ---- Files and directories --------------------------------------------------

struct FindData {
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    FileTime creationTime = 0;
    FileTime lastWriteTime = 0;
    // The name in code page 932, as catalogues store it.
    char name[kMaxPath] = {};
    // The name that reaches the entry through native paths (JoinNativePath):
    // on Linux the name on disk; on Windows the ANSI name, or the short name
    // where the ANSI name is not the name on disk.  Empty when there is none.
    char nativeName[kMaxPath] = {};
    // True when `name` is not the name on disk: a character that code page
    // 932 cannot hold became "?" (or on Windows a look-alike), one it holds
    // in another form was given that form, and on Linux a backslash (no
    // separator there) became "_".
    bool nameChanged = false;
    // The name on disk in UTF-8 when `nameChanged` (on Linux the disk's own
    // bytes, which need not be UTF-8); empty otherwise.
    std::string exactName;
};

// A path as the system's own calls take it: the path itself on Windows,
// UTF-8 with "/" separators on Linux.  Native paths reach names that have no
// exact code page 932 form, and may be longer than kMaxPath.
std::string NativePath(const char* path);
// `directory` + a separator (unless it ends in one) + `name`, all native.
std::string JoinNativePath(const std::string& directory, const char* name);

// A directory named by its native path.
struct NativeDirectory {
    const char* path;
};

// One directory search (FindFirstFileA / FindNextFileA; on Windows the
// Unicode forms, with each name converted as the ANSI calls convert it).
// `pattern` is a path whose last component may hold the wildcards * and ?;
// "." and ".." are returned as the system returns them.
class DirectorySearch {
public:
    explicit DirectorySearch(const char* pattern);
    // Every entry of a directory given by its native path.
    explicit DirectorySearch(NativeDirectory directory);
    ~DirectorySearch();
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    bool IsOpen() const;
    // Fills `out` with the next entry; false when there are no more.
    bool Next(FindData& out);

private:
    struct State;
    State* state_;
};

// Attributes of a path (GetFileAttributesA); false if they cannot be read.
bool GetAttributes(const char* path, std::uint32_t& attributes);

// What a path names, a link at its end not followed.  Only a missing path or
// a regular file may be replaced by what the tools write.
enum class PathKind { kMissing, kRegularFile, kDirectory, kLink, kOther };
PathKind GetPathKind(const char* path);

struct FileStamp {
    std::uint64_t size = 0;
    FileTime lastWriteTime = 0;
    // The file's identity on its volume (inode, or file index): a file put
    // in place by a rename has another one, whatever its size and time.
    std::uint64_t fileId = 0;

    bool operator==(const FileStamp& o) const {
        return size == o.size && lastWriteTime == o.lastWriteTime && fileId == o.fileId;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};
// Size and last write time of a file; false if the file cannot be examined.
bool GetFileStamp(const char* path, FileStamp& stamp);

bool MakeDirectory(const char* path);
bool DeleteDirectory(const char* path);
bool RemoveFile(const char* path);
// Removes a file that no process holds open for writing through File::
// CreateNew (on Linux such a file is locked; on Windows it is shared with no
// one); false when it is held or cannot be removed.
bool RemoveUnheldFile(const char* path);
// Renames `from` to `to`, replacing an existing file of that name.
bool MoveReplacing(const char* from, const char* to);
// Gives the file `replacement` (the caller's own new file) the access of the
// file `existing` it is about to replace: on Linux its mode and, where the
// process may set it, its owner and group; on Windows its hidden and system
// attributes.  Nothing happens when `existing` does not exist.
void KeepAccess(const char* existing, const char* replacement);

// Why the last failed file call of this thread failed, as far as a person
// can act on it.
enum class IoError { kNone, kDiskFull, kReadOnly, kAccessDenied, kNameTooLong, kExists, kNotFound, kOther };
IoError LastIoError();

// The process's identifier, for names that must differ between processes.
std::uint32_t ProcessId();

// An owned file handle.
class File {
public:
    enum Access : unsigned { kRead = 1, kWrite = 2, kReadWrite = 3 };
    enum Share : unsigned { kShareNone = 0, kShareRead = 1, kShareWrite = 2 };
    enum Origin { kBegin, kCurrent, kEnd };

    File() = default;
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
    File& operator=(File&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = kInvalid;
        }
        return *this;
    }

    // Closes any handle it owns, then opens `path`.  When `mustExist` is
    // false the file is created, or truncated if it exists.  Only a regular
    // file opens: a directory, FIFO, pipe or device is refused without
    // waiting for it.
    bool Open(const char* path, unsigned access, unsigned share, bool mustExist);
    // Creates `path` for reading and writing, shared with no one (held:
    // see RemoveUnheldFile), only if no file of that name exists
    // (LastIoError() is kExists when one does).
    bool CreateNew(const char* path);
    // Size, last write time and identity of the open file.
    bool Stamp(FileStamp& stamp) const;
    // Bytes transferred, 0 when the call fails.
    std::size_t Read(void* buffer, std::size_t bytes);
    std::size_t Write(const void* buffer, std::size_t bytes);
    // Reads at an absolute offset in one call; the file position is not
    // part of the contract afterwards.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes);
    bool Seek(std::int64_t offset, Origin origin);
    bool Rewind() { return Seek(0, kBegin); }
    // Flushes what was written to the disk; false if that fails.
    bool Flush();
    bool Close();
    void Detach();
    bool IsOpen() const { return handle_ != kInvalid; }

private:
    static constexpr std::intptr_t kInvalid = -1;
    std::intptr_t handle_ = kInvalid;
};

// A whole file mapped read-only into memory (mmap / a file mapping): its
// bytes stay as the file had them when it was mapped, even when another
// process replaces the file by a rename.  An empty file maps to no bytes.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Open(const char* path);
    void Close();
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// The user's cache folder (Windows: the local application data folder;
// Linux: $XDG_CACHE_HOME, else ~/.cache) as a path the calls above take;
// empty when there is none or it has no exact form in code page 932.
std::string CacheFolder();

// ---- Volumes ----------------------------------------------------------------

struct VolumeInfo {
    char label[256] = {};
    std::uint32_t serial = 0;
    char fileSystem[16] = {};
};
// Volume information for a root path ending in a backslash.
bool GetVolumeInfo(const char* root, VolumeInfo& info);
// The system's drive type for a path as given.
std::uint32_t DriveTypeOf(const char* path);
// Total and free bytes of the volume holding `path`; false if both the
// 64-bit query and the cluster fallback fail.
bool GetDiskSpace(const char* path, std::uint64_t& total, std::uint64_t& free);

// ---- Time -------------------------------------------------------------------

FileTime CurrentTime();
struct LocalTime {
    int year, month, day, hour, minute, second;
};
// Converts a UTC file time to the local time of the system.
bool ToLocalTime(FileTime time, LocalTime& local);

}  // namespace cataloom::platform
