// A temporary directory for one test, removed with everything in it when the
// test ends.  Names are code page 932, as the catalogue core takes them.
#pragma once

#include <cstdint>
#include <string>

namespace cataloom::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root, without a trailing separator.
    const std::string& Root() const { return root_; }
    // `relative` uses backslashes; returns the full path.
    std::string Path(const std::string& relative) const;
    std::string MakeDir(const std::string& relative) const;
    std::string MakeFile(const std::string& relative, std::size_t bytes) const;
    std::string WriteFile(const std::string& relative, const std::string& content) const;
    // The same by the name on disk, `utf8` with "/" separators, for names
    // that code page 932 paths cannot reach.
    void MakeNativeDir(const std::string& utf8) const;
    void MakeNativeFile(const std::string& utf8, std::size_t bytes) const;
    // Marks a path hidden, as each system does it (a leading dot on Linux
    // cannot be added afterwards, so Linux callers name hidden entries ".x").
    void Hide(const std::string& relative) const;

private:
    std::string root_;
};

std::string ReadWholeFile(const std::string& path);
// Sets a file's last write time (a FILETIME).
bool SetWriteTime(const std::string& path, std::uint64_t fileTime);
// A code page 932 path as the system's own calls take it (UTF-8 with slashes
// on Linux; unchanged on Windows).
std::string NativePath(const std::string& path);
#ifdef _WIN32
// A code page 932 text in UTF-16, for the wide calls.
std::wstring Wide(const std::string& cp932);
#endif

}  // namespace cataloom::test
