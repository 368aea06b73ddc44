#include "tests/support/TempTree.h"

#include "platform/Platform.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cataloom::test {
namespace {

std::atomic<unsigned> counter{0};

unsigned ProcessId() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned>(getpid());
#endif
}

}  // namespace

TempTree::TempTree() {
    std::string base = std::filesystem::temp_directory_path().string();
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    std::string prefix = base + (base.find('\\') != std::string::npos ? "\\" : "/") + "cataloom-test-" +
                         std::to_string(ProcessId()) + "-";
    // A leftover of an earlier program with the same process id is skipped,
    // not reused.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        root_ = prefix + std::to_string(counter++);
        if (platform::MakeDirectory(root_.c_str())) return;
    }
    throw std::runtime_error("cannot create a temporary folder under " + base);
}

TempTree::~TempTree() {
    std::error_code ignored;
#ifndef _WIN32
    // Unreadable test directories would stop the removal.
    for (auto it = std::filesystem::recursive_directory_iterator(
             root_, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
#endif
#ifdef _WIN32
    // The extended-length form removes trees deeper than the path limit.
    std::filesystem::remove_all(std::filesystem::path("\\\\?\\" + root_), ignored);
#else
    std::filesystem::remove_all(root_, ignored);
#endif
}

std::string TempTree::Path(const std::string& relative) const {
    return relative.empty() ? root_ : root_ + "\\" + relative;
}

std::string TempTree::MakeDir(const std::string& relative) const {
    std::string p = Path(relative);
    if (!platform::MakeDirectory(p.c_str())) throw std::runtime_error("cannot create " + p);
    return p;
}

std::string TempTree::MakeFile(const std::string& relative, std::size_t bytes) const {
    return WriteFile(relative, std::string(bytes, 'x'));
}

std::string TempTree::WriteFile(const std::string& relative, const std::string& content) const {
    std::string p = Path(relative);
    platform::File file;
    if (!file.Open(p.c_str(), platform::File::kWrite, platform::File::kShareNone, false) ||
        (!content.empty() && file.Write(content.data(), content.size()) != content.size()))
        throw std::runtime_error("cannot write " + p);
    return p;
}

namespace {

#ifdef _WIN32
std::wstring ToWide(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), n);
    wide.pop_back();
    return wide;
}

std::wstring NativeFullPath(const std::string& root, const std::string& utf8) {
    std::wstring path = Wide(root) + L"\\" + ToWide(utf8, CP_UTF8);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
#endif

}  // namespace

void TempTree::MakeNativeDir(const std::string& utf8) const {
#ifdef _WIN32
    bool made = CreateDirectoryW(NativeFullPath(root_, utf8).c_str(), nullptr) != FALSE;
#else
    bool made = mkdir((NativePath(root_) + "/" + utf8).c_str(), 0777) == 0;
#endif
    if (!made) throw std::runtime_error("cannot create " + utf8);
}

void TempTree::MakeNativeFile(const std::string& utf8, std::size_t bytes) const {
    std::string content(bytes, 'x');
#ifdef _WIN32
    HANDLE file = CreateFileW(NativeFullPath(root_, utf8).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool made = file != INVALID_HANDLE_VALUE &&
                ::WriteFile(file, content.data(), static_cast<DWORD>(bytes), &written, nullptr) && written == bytes;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
#else
    int fd = open((NativePath(root_) + "/" + utf8).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    bool made = fd >= 0 && write(fd, content.data(), bytes) == static_cast<ssize_t>(bytes);
    if (fd >= 0) made = close(fd) == 0 && made;
#endif
    if (!made) throw std::runtime_error("cannot write " + utf8);
}

void TempTree::Hide(const std::string& relative) const {
#ifdef _WIN32
    std::string p = Path(relative);
    SetFileAttributesA(p.c_str(), GetFileAttributesA(p.c_str()) | FILE_ATTRIBUTE_HIDDEN);
#else
    (void)relative;
#endif
}

std::string ReadWholeFile(const std::string& path) {
    platform::File file;
    std::string content;
    if (!file.Open(path.c_str(), platform::File::kRead, platform::File::kShareRead, true)) return content;
    char buffer[65536];
    while (std::size_t n = file.Read(buffer, sizeof(buffer))) content.append(buffer, n);
    return content;
}

std::string NativePath(const std::string& path) { return platform::NativePath(path.c_str()); }

bool SetWriteTime(const std::string& path, std::uint64_t fileTime) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    bool done = SetFileTime(h, nullptr, nullptr, &ft) != FALSE;
    CloseHandle(h);
    return done;
#else
    constexpr std::uint64_t kEpochDifference = 11644473600ULL;  // 1601 to 1970, seconds
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(fileTime / 10000000ULL - kEpochDifference);
    times[1].tv_nsec = static_cast<long>(fileTime % 10000000ULL) * 100;
    return utimensat(AT_FDCWD, NativePath(path).c_str(), times, 0) == 0;
#endif
}

#ifdef _WIN32
std::wstring Wide(const std::string& cp932) { return ToWide(cp932, CP_ACP); }
#endif

}  // namespace cataloom::test
