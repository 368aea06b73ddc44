// The platform seam on Linux: POSIX calls, with names converted between the
// disk's UTF-8 and the catalogue's code page 932.
#include "platform/Platform.h"
#include "platform/posix/Cp932.h"

#include <dirent.h>
#include <locale.h>
#include <wctype.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace cataloom::platform {
namespace {

constexpr std::uint64_t kEpochDifference = 11644473600ULL;  // 1601 to 1970, seconds

FileTime ToFileTime(const struct timespec& ts) {
    if (ts.tv_sec < -static_cast<std::int64_t>(kEpochDifference)) return 0;
    return (static_cast<std::uint64_t>(ts.tv_sec) + kEpochDifference) * 10000000ULL +
           static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Reads the next character as one unit: a double-byte character compares as
// the 16-bit value of its two bytes, a single byte as itself.
unsigned NextUnit(const unsigned char*& p, bool fold) {
    unsigned c = *p++;
    if (IsLeadByte(static_cast<unsigned char>(c)) && *p != '\0') return 0x100u + ((c << 8) | *p++);
    return fold ? Fold(static_cast<unsigned char>(c)) : c;
}

int CompareUnits(const char* a, const char* b, bool fold) {
    auto pa = reinterpret_cast<const unsigned char*>(a ? a : "");
    auto pb = reinterpret_cast<const unsigned char*>(b ? b : "");
    while (*pa != '\0' || *pb != '\0') {
        unsigned ua = *pa ? NextUnit(pa, fold) : 0;
        unsigned ub = *pb ? NextUnit(pb, fold) : 0;
        if (ua != ub) return ua < ub ? -1 : 1;
    }
    return 0;
}

std::uint32_t AttributesOf(const struct stat& st, const std::string& name, bool isLink, bool targetIsDir) {
    std::uint32_t a = 0;
    if (S_ISDIR(st.st_mode) || targetIsDir) a |= kAttrDirectory;
    else a |= kAttrArchive;
    if (isLink) a |= kAttrReparsePoint;
    // A dot file is hidden, as Wine shows such files to Windows programs.
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kAttrHidden;
    if (!isLink && (st.st_mode & S_IWUSR) == 0) a |= kAttrReadOnly;
    return a;
}

bool MatchWildcard(const char* pattern, const char* name) {
    // Case-insensitive for ASCII, as file name matching is on Windows.
    if (*pattern == '\0') return *name == '\0';
    if (*pattern == '*') {
        for (const char* n = name;; ++n) {
            if (MatchWildcard(pattern + 1, n)) return true;
            if (*n == '\0') return false;
        }
    }
    if (*name == '\0') return false;
    if (*pattern != '?' && Fold(static_cast<unsigned char>(*pattern)) != Fold(static_cast<unsigned char>(*name)))
        return false;
    return MatchWildcard(pattern + 1, name + 1);
}

void CopyName(const std::string& name, char (&out)[kMaxPath]) {
    std::size_t length = std::min(name.size(), sizeof(out) - 1);
    std::memcpy(out, name.data(), length);
    out[length] = '\0';
}

// Fills `out` for the entry `name` of the open directory `dirFd`; false if the
// entry vanished.
bool Describe(int dirFd, const std::string& utf8Name, FindData& out) {
    struct stat st;
    if (fstatat(dirFd, utf8Name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    bool isLink = S_ISLNK(st.st_mode);
    bool targetIsDir = false;
    if (isLink) {
        struct stat target;
        targetIsDir = fstatat(dirFd, utf8Name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
    }
    out.attributes = AttributesOf(st, utf8Name, isLink, targetIsDir);
    out.size = (S_ISREG(st.st_mode)) ? static_cast<std::uint64_t>(st.st_size) : 0;
    out.lastWriteTime = ToFileTime(st.st_mtim);
    // Linux keeps no creation time in struct stat; the status change time is
    // the closest it offers.
    out.creationTime = ToFileTime(st.st_ctim);
    CopyName(Utf8ToCatalogName(utf8Name, out.nameChanged), out.name);
    CopyName(utf8Name, out.nativeName);
    if (out.nameChanged) out.exactName = utf8Name;
    else out.exactName.clear();
    return true;
}

void SplitPattern(const std::string& path, std::string& dir, std::string& pattern) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        dir = ".";
        pattern = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        pattern = path.substr(slash + 1);
    }
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

thread_local IoError lastIoError = IoError::kNone;

// Records why the call that just failed failed; returns false for the caller.
bool Failed() {
    switch (errno) {
    case ENOSPC: case EDQUOT: case EFBIG: lastIoError = IoError::kDiskFull; break;
    case EROFS: lastIoError = IoError::kReadOnly; break;
    case EACCES: case EPERM: lastIoError = IoError::kAccessDenied; break;
    case ENAMETOOLONG: lastIoError = IoError::kNameTooLong; break;
    case EEXIST: lastIoError = IoError::kExists; break;
    case ENOENT: case ENOTDIR: lastIoError = IoError::kNotFound; break;
    default: lastIoError = IoError::kOther; break;
    }
    return false;
}

void StampOf(const struct stat& st, FileStamp& stamp) {
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.lastWriteTime = ToFileTime(st.st_mtim);
    stamp.fileId = (static_cast<std::uint64_t>(st.st_dev) << 40) ^ static_cast<std::uint64_t>(st.st_ino);
}

std::string Trimmed(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

int CompareNoCase(const char* a, const char* b) { return CompareUnits(a, b, true); }

int CompareCase(const char* a, const char* b) {
    // Case only breaks ties, so names that differ by more than case are
    // ordered exactly as the case-insensitive collation orders them.
    int r = CompareUnits(a, b, true);
    return r != 0 ? r : CompareUnits(a, b, false);
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

unsigned char UpperChar(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }
std::string StoredToUtf8(const char* stored) { return Cp932ToUtf8(stored != nullptr ? stored : ""); }
std::string Utf8ToStored(const std::string& utf8, bool& changed) { return Utf8ToCatalogName(utf8, changed); }

char32_t FoldCase(char32_t c) {
    // The C library's Unicode tables, whatever the process's own locale.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    if (utf8 == static_cast<locale_t>(0)) return c;
    auto w = static_cast<wint_t>(c);
    return static_cast<char32_t>(towlower_l(towupper_l(w, utf8), utf8));
}

void* TaskAlloc(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
void TaskFree(void* block) { std::free(block); }

struct DirectorySearch::State {
    DIR* dir = nullptr;
    std::string pattern;  // UTF-8; "*.*" and "*" list everything
    bool single = false;  // a pattern without wildcards names one entry
    bool singleDone = false;
    std::string singleDir, singleName;
};

DirectorySearch::DirectorySearch(const char* pattern) : state_(new State) {
    if (pattern == nullptr || *pattern == '\0') return;
    std::string dir, last;
    SplitPattern(ToNativePath(pattern), dir, last);
    if (last.empty()) return;  // "folder\" finds nothing, as on Windows
    if (!HasWildcard(last)) {
        struct stat st;
        std::string full = dir == "/" ? "/" + last : dir + "/" + last;
        if (lstat(full.c_str(), &st) != 0) return;
        state_->single = true;
        state_->singleDir = dir;
        state_->singleName = last;
        state_->dir = opendir(dir.c_str());
        if (state_->dir == nullptr) state_->single = false;
        return;
    }
    state_->pattern = (last == "*.*") ? "*" : last;
    state_->dir = opendir(dir.c_str());
}

DirectorySearch::DirectorySearch(NativeDirectory directory) : state_(new State) {
    if (directory.path == nullptr || *directory.path == '\0') return;
    state_->pattern = "*";
    state_->dir = opendir(directory.path);
}

DirectorySearch::~DirectorySearch() {
    if (state_->dir != nullptr) closedir(state_->dir);
    delete state_;
}

bool DirectorySearch::IsOpen() const { return state_->dir != nullptr; }

bool DirectorySearch::Next(FindData& out) {
    if (state_->dir == nullptr) return false;
    if (state_->single) {
        if (state_->singleDone) return false;
        state_->singleDone = true;
        return Describe(dirfd(state_->dir), state_->singleName, out);
    }
    while (struct dirent* e = readdir(state_->dir)) {
        if (state_->pattern != "*" && !MatchWildcard(state_->pattern.c_str(), e->d_name)) continue;
        if (Describe(dirfd(state_->dir), e->d_name, out)) return true;
    }
    return false;
}

std::string NativePath(const char* path) { return ToNativePath(path); }

std::string JoinNativePath(const std::string& directory, const char* name) {
    if (directory.empty() || directory.back() == '/') return directory + name;
    return directory + '/' + name;
}

bool GetAttributes(const char* path, std::uint32_t& attributes) {
    if (path == nullptr || *path == '\0') return false;
    std::string native = Trimmed(ToNativePath(path));
    struct stat st;
    if (lstat(native.c_str(), &st) != 0) return false;
    bool isLink = S_ISLNK(st.st_mode);
    struct stat target;
    bool targetIsDir = isLink && stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    size_t slash = native.rfind('/');
    attributes = AttributesOf(st, slash == std::string::npos ? native : native.substr(slash + 1), isLink,
                              targetIsDir);
    return true;
}

PathKind GetPathKind(const char* path) {
    struct stat st;
    if (path == nullptr || *path == '\0' || lstat(Trimmed(ToNativePath(path)).c_str(), &st) != 0)
        return PathKind::kMissing;
    if (S_ISLNK(st.st_mode)) return PathKind::kLink;
    if (S_ISDIR(st.st_mode)) return PathKind::kDirectory;
    return S_ISREG(st.st_mode) ? PathKind::kRegularFile : PathKind::kOther;
}

bool GetFileStamp(const char* path, FileStamp& stamp) {
    if (path == nullptr || *path == '\0') return false;
    struct stat st;
    if (stat(ToNativePath(path).c_str(), &st) != 0) return false;
    StampOf(st, stamp);
    return true;
}

bool MakeDirectory(const char* path) { return path && mkdir(ToNativePath(path).c_str(), 0777) == 0; }
bool DeleteDirectory(const char* path) { return path && rmdir(ToNativePath(path).c_str()) == 0; }
bool RemoveFile(const char* path) { return path && unlink(ToNativePath(path).c_str()) == 0; }

bool RemoveUnheldFile(const char* path) {
    if (path == nullptr) return false;
    std::string native = ToNativePath(path);
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    bool removed = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                   unlink(native.c_str()) == 0;
    close(fd);
    return removed;
}
bool MoveReplacing(const char* from, const char* to) {
    if (from == nullptr || to == nullptr) return false;
    return rename(ToNativePath(from).c_str(), ToNativePath(to).c_str()) == 0 || Failed();
}

void KeepAccess(const char* existing, const char* replacement) {
    if (existing == nullptr || replacement == nullptr) return;
    struct stat st;
    std::string target = ToNativePath(replacement);
    if (stat(ToNativePath(existing).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    // The owner first: changing it may clear the set-id bits the mode
    // restores.  Only a privileged process may give a file away, and only a
    // member of the group may hand it on; otherwise the new file stays the
    // writer's own, which is no failure.
    bool given = chown(target.c_str(), st.st_uid, st.st_gid) == 0 ||
                 chown(target.c_str(), static_cast<uid_t>(-1), st.st_gid) == 0;
    static_cast<void>(given);
    chmod(target.c_str(), st.st_mode & 07777);
}

IoError LastIoError() { return lastIoError; }

std::uint32_t ProcessId() { return static_cast<std::uint32_t>(getpid()); }

// Linux has no share modes; a file is opened without them.
bool File::Open(const char* path, unsigned access, unsigned /*share*/, bool mustExist) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    int flags = (access & kWrite) ? ((access & kRead) ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (!mustExist) flags |= O_CREAT | O_TRUNC;
    // Opened without blocking, so a FIFO or a device named like a catalogue
    // cannot hold the caller up before it is refused.  An existing file must
    // be a regular one; a file the caller creates is whatever it named (the
    // capture only creates fresh temporary files; the null device takes
    // every write).
    int fd = open(ToNativePath(path).c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return Failed();
    struct stat st;
    if (fstat(fd, &st) != 0 || (mustExist && !S_ISREG(st.st_mode)) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool File::CreateNew(const char* path) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    // O_EXCL makes the check and the creation one step: of two processes
    // asking for one name, exactly one gets the file.
    int fd = open(ToNativePath(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) return Failed();
    // The lock tells a clean-up of stale files that this one is being written.
    flock(fd, LOCK_EX | LOCK_NB);
    handle_ = fd;
    return true;
}

bool File::Stamp(FileStamp& stamp) const {
    struct stat st;
    if (!IsOpen() || fstat(static_cast<int>(handle_), &st) != 0) return false;
    StampOf(st, stamp);
    return true;
}

std::size_t File::Read(void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr) return 0;
    std::size_t done = 0;
    while (done < bytes) {
        ssize_t n = read(static_cast<int>(handle_), static_cast<char*>(buffer) + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr) return 0;
    std::size_t done = 0;
    while (done < bytes) {
        ssize_t n = pread(static_cast<int>(handle_), static_cast<char*>(buffer) + done, bytes - done,
                          static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t File::Write(const void* buffer, std::size_t bytes) {
    if (!IsOpen() || buffer == nullptr) return 0;
    std::size_t done = 0;
    while (done < bytes) {
        ssize_t n = write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC;
        if (n <= 0) return Failed();
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool File::Seek(std::int64_t offset, Origin origin) {
    if (!IsOpen()) return false;
    int whence = origin == kBegin ? SEEK_SET : origin == kCurrent ? SEEK_CUR : SEEK_END;
    return lseek(static_cast<int>(handle_), offset, whence) >= 0;
}

bool MappedFile::Open(const char* path) {
    Close();
    if (path == nullptr || *path == '\0') return false;
    int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<std::uint64_t>(st.st_size) <= SIZE_MAX;
    if (ok && st.st_size > 0) {
        void* view = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ok = view != MAP_FAILED;
        if (ok) {
            data_ = static_cast<const std::uint8_t*>(view);
            size_ = static_cast<std::size_t>(st.st_size);
        }
    }
    close(fd);  // the mapping keeps the file's bytes
    return ok;
}

void MappedFile::Close() {
    if (data_ != nullptr) munmap(const_cast<std::uint8_t*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

std::string CacheFolder() {
    std::string native;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    // Only an absolute $XDG_CACHE_HOME counts; a relative one is ignored.
    if (xdg != nullptr && xdg[0] == '/') native = xdg;
    else if (home != nullptr && home[0] == '/') native = std::string(home) + "/.cache";
    else return std::string();
    std::string path = Utf8ToCp932(native);
    if (Cp932ToUtf8(path) != native || path.size() >= kMaxPath || path.find('\\') != std::string::npos)
        return std::string();
    // Separated by backslashes, as every path the core takes.
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool File::Flush() { return IsOpen() && (fsync(static_cast<int>(handle_)) == 0 || Failed()); }

bool File::Close() {
    if (!IsOpen()) return false;
    // A network file system may report a failed write only here.
    bool closed = close(static_cast<int>(handle_)) == 0 || errno == EINTR || Failed();
    handle_ = kInvalid;
    return closed;
}

void File::Detach() { handle_ = kInvalid; }

namespace {

struct MountEntry {
    std::string mountPoint, fsType, source;
};

std::string Unescape(const std::string& s) {
    // /proc/self/mountinfo writes spaces and the like as \ooo.
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The mount that holds `path` (the longest mount point that prefixes it).
bool FindMount(const std::string& path, MountEntry& found) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) return false;
    std::string resolved = real;
    std::free(real);
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    size_t best = 0;
    bool any = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devno, root, mountPoint, options, field;
        fields >> id >> parent >> devno >> root >> mountPoint >> options;
        while (fields >> field && field != "-") {
        }
        MountEntry entry;
        fields >> entry.fsType >> entry.source;
        entry.mountPoint = Unescape(mountPoint);
        const std::string& mp = entry.mountPoint;
        bool prefix = resolved == mp || mp == "/" ||
                      (resolved.compare(0, mp.size(), mp) == 0 && resolved[mp.size()] == '/');
        if (prefix && mp.size() >= best) {
            best = mp.size();
            found = entry;
            any = true;
        }
    }
    return any;
}

std::string Basename(const std::string& p) {
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The label of a block device, from the links the system keeps in
// /dev/disk/by-label; empty when it has none.
std::string LabelOf(const std::string& device) {
    char* realDevice = realpath(device.c_str(), nullptr);
    if (realDevice == nullptr) return "";
    std::string target = realDevice;
    std::free(realDevice);
    std::string label;
    if (DIR* dir = opendir("/dev/disk/by-label")) {
        while (struct dirent* e = readdir(dir)) {
            std::string link = std::string("/dev/disk/by-label/") + e->d_name;
            char* resolved = realpath(link.c_str(), nullptr);
            if (resolved == nullptr) continue;
            bool match = target == resolved;
            std::free(resolved);
            if (match) {
                label = Unescape(e->d_name);
                break;
            }
        }
        closedir(dir);
    }
    return label;
}

bool IsRemovableDevice(const std::string& device) {
    std::string name = Basename(device);
    // A partition's removable flag lives on its disk: sdb1 -> sdb.
    for (std::string candidate = name; !candidate.empty(); candidate.pop_back()) {
        std::ifstream flag("/sys/block/" + candidate + "/removable");
        int value = 0;
        if (flag >> value) return value == 1;
    }
    return false;
}

}  // namespace

bool GetVolumeInfo(const char* root, VolumeInfo& info) {
    if (root == nullptr || *root == '\0') return false;
    std::string native = Trimmed(ToNativePath(root));
    struct statvfs vfs;
    if (statvfs(native.c_str(), &vfs) != 0) return false;
    info = VolumeInfo();
    info.serial = static_cast<std::uint32_t>(vfs.f_fsid);
    MountEntry mount;
    if (FindMount(native, mount)) {
        std::snprintf(info.fileSystem, sizeof(info.fileSystem), "%s", mount.fsType.c_str());
        std::string label = Utf8ToCp932(LabelOf(mount.source));
        std::snprintf(info.label, sizeof(info.label), "%s", label.c_str());
    }
    return true;
}

std::uint32_t DriveTypeOf(const char* path) {
    if (path == nullptr || *path == '\0') return kDriveUnknown;
    std::string native = Trimmed(ToNativePath(path));
    struct stat st;
    if (stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return kDriveNoRootDir;
    MountEntry mount;
    if (!FindMount(native, mount)) return kDriveUnknown;
    const std::string& fs = mount.fsType;
    if (fs == "iso9660" || fs == "udf") return kDriveCdRom;
    if (fs == "nfs" || fs == "nfs4" || fs == "cifs" || fs == "smb3" || fs == "smbfs" || fs == "9p" ||
        fs == "afs" || fs == "ceph" || fs == "fuse.sshfs" || fs == "sshfs" || fs == "davfs" ||
        fs == "glusterfs" || fs == "fuse.glusterfs" || fs == "lustre" || fs == "fuse.rclone" || fs == "ncpfs" ||
        fs == "coda")
        return kDriveRemote;
    if (fs == "tmpfs" || fs == "ramfs") return kDriveRamDisk;
    if (mount.source.rfind("/dev/", 0) == 0 && IsRemovableDevice(mount.source)) return kDriveRemovable;
    return kDriveFixed;
}

bool GetDiskSpace(const char* path, std::uint64_t& total, std::uint64_t& free) {
    if (path == nullptr || *path == '\0') return false;
    struct statvfs vfs;
    if (statvfs(Trimmed(ToNativePath(path)).c_str(), &vfs) != 0) return false;
    total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    free = static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    return true;
}

FileTime CurrentTime() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return ToFileTime(ts);
}

bool ToLocalTime(FileTime time, LocalTime& local) {
    time_t seconds = static_cast<time_t>(time / 10000000ULL) - static_cast<time_t>(kEpochDifference);
    struct tm tm;
    if (localtime_r(&seconds, &tm) == nullptr) return false;
    local = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    return true;
}

}  // namespace cataloom::platform
