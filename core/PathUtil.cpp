#include "core/PathUtil.h"

#include <cstdint>
#include <cstring>

namespace cataloom {
namespace text {

const char* Next(const char* p) {
    if (*p == '\0') return p;
    if (platform::IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
    return p + 1;
}

const char* FindChar(const char* s, char c) {
    if (s == nullptr) return nullptr;
    for (const char* p = s; *p != '\0'; p = Next(p))
        if (*p == c) return p;
    return nullptr;
}

const char* FindCharBackward(const char* start, const char* end, char c) {
    if (start == nullptr || end == nullptr) return nullptr;
    // Only a forward walk knows which bytes are trail bytes.
    const char* found = nullptr;
    for (const char* p = start; p < end && *p != '\0'; p = Next(p))
        if (*p == c) found = p;
    return found;
}

int ParseInt(const char* s) {
    if (s == nullptr) return 0;
    bool negative = *s == '-';
    if (negative) ++s;
    std::uint32_t value = 0;  // wraps like the original; no overflow check
    for (int digits = 0; digits < 10 && *s >= '0' && *s <= '9'; ++digits, ++s)
        value = value * 10 + static_cast<std::uint32_t>(*s - '0');
    // Negated and read back as two's complement in unsigned arithmetic: the
    // most negative value has no positive counterpart to negate.
    std::uint32_t bits = negative ? 0u - value : value;
    return bits <= static_cast<std::uint32_t>(INT32_MAX) ? static_cast<int>(bits)
                                                       : static_cast<int>(bits - 0x80000000u) + INT32_MIN;
}

std::size_t CopyTruncated(char* out, std::size_t capacity, const char* in) {
    if (out == nullptr || capacity == 0) return 0;
    std::size_t n = 0;
    if (in != nullptr) {
        for (const char* p = in; *p != '\0';) {
            const char* next = Next(p);
            std::size_t len = static_cast<std::size_t>(next - p);
            if (n + len > capacity - 1) break;
            std::memcpy(out + n, p, len);
            n += len;
            p = next;
        }
    }
    out[n] = '\0';
    return n;
}

}  // namespace text

namespace path {
namespace {

bool IsEmpty(const char* s) { return s == nullptr || *s == '\0'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Counts the separators after the leading "\\" of a network path.
int SeparatorsAfterServer(const char* path) {
    int count = 0;
    for (const char* p = path + 2; *p != '\0'; p = text::Next(p))
        if (*p == '\\') ++count;
    return count;
}

bool IsNetworkForm(const char* path) { return path[0] == '\\' && path[1] == '\\'; }

bool IsDriveForm(const char* path) { return IsDriveLetter(path[0]) && path[1] == ':'; }

}  // namespace

bool Exists(const char* path) {
    if (IsEmpty(path)) return false;
    platform::DirectorySearch search(path);
    platform::FindData found;
    return search.Next(found);
}

bool IsDirectory(const char* path) {
    std::uint32_t attributes = 0;
    return !IsEmpty(path) && platform::GetAttributes(path, attributes) &&
           (attributes & platform::kAttrDirectory) != 0;
}

bool EndsWithBackslash(const char* path) {
    if (IsEmpty(path)) return false;
    const char* last = path;
    for (const char* p = path; *p != '\0'; p = text::Next(p)) last = p;
    return *last == '\\';
}

bool AddBackslash(char* path) {
    if (path == nullptr) return false;
    if (EndsWithBackslash(path)) return true;
    std::size_t len = std::strlen(path);
    if (len + 2 > kMaxPath) return false;
    path[len] = '\\';
    path[len + 1] = '\0';
    return true;
}

bool RemoveBackslash(char* path) {
    if (!EndsWithBackslash(path)) return false;
    path[std::strlen(path) - 1] = '\0';
    return true;
}

bool Append(char* path, const char* name) {
    if (path == nullptr) return false;
    if (IsEmpty(name)) return true;
    std::size_t len = std::strlen(path);
    bool needSeparator = len > 0 && !EndsWithBackslash(path);
    if (len + (needSeparator ? 1 : 0) + std::strlen(name) + 1 > kMaxPath) return false;
    if (needSeparator) path[len++] = '\\';
    std::strcpy(path + len, name);
    return true;
}

bool Combine(char* out, const char* folder, const char* name) {
    if (out == nullptr) return false;
    char result[kMaxPath];
    if (text::CopyTruncated(result, sizeof(result), folder) != (folder ? std::strlen(folder) : 0))
        return false;
    if (!Append(result, name)) return false;
    std::strcpy(out, result);
    return true;
}

const char* LastComponent(const char* path) {
    if (path == nullptr) return nullptr;
    if (*path == '\0') return path;
    // The final character is skipped, so "C:\dir\" gives "dir\".
    const char* last = path;
    for (const char* p = path; *p != '\0'; p = text::Next(p)) last = p;
    const char* separator = text::FindCharBackward(path, last, '\\');
    return separator ? separator + 1 : path;
}

bool RemoveLastComponent(char* path) {
    if (IsEmpty(path)) return false;
    const char* last = LastComponent(path);
    if (last == path) return false;
    path[last - path] = '\0';
    return true;
}

const char* Extension(const char* name) {
    if (name == nullptr) return "";
    if (EndsWithBackslash(name)) return name + std::strlen(name);
    const char* file = LastComponent(name);
    const char* dot = text::FindChar(file, '.');
    return dot ? dot : name + std::strlen(name);
}

bool AddExtension(char* name, const char* extension) {
    if (name == nullptr || extension == nullptr) return false;
    if (*Extension(name) != '\0') return true;
    std::size_t len = std::strlen(name);
    if (len + std::strlen(extension) + 1 > kMaxPath) return false;
    std::strcpy(name + len, extension);
    return true;
}

bool IsFullPath(const char* path) {
    if (IsEmpty(path) || path[1] == '\0') return false;
    if (IsDriveForm(path)) return true;
    if (!IsNetworkForm(path) || path[2] == '\0' || path[2] == '\\') return false;
    const char* separator = text::FindChar(path + 2, '\\');
    return separator != nullptr && separator[1] != '\0';
}

bool IsRoot(const char* path) {
    if (IsEmpty(path)) return false;
    if (IsDriveForm(path)) {
        std::size_t len = std::strlen(path);
        return len == 2 || (len == 3 && path[2] == '\\');
    }
    return IsNetworkForm(path) && path[2] != '\0' && SeparatorsAfterServer(path) <= 1;
}

bool ReduceToRoot(char* path) {
    if (!IsFullPath(path)) return false;
    char work[kMaxPath];
    text::CopyTruncated(work, sizeof(work), path);
    while (!IsRoot(work)) {
        // Drop a trailing separator first, then the last component.
        if (!RemoveBackslash(work) && !RemoveLastComponent(work)) return false;
        if (*work == '\0') return false;
    }
    std::strcpy(path, work);
    return true;
}

bool IsDotEntry(const char* name) {
    return name != nullptr && name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Control characters are no part of a Windows file name either.
bool IsInvalidNameChar(char c) {
    return c != '\0' && (static_cast<unsigned char>(c) < 0x20 || std::strchr("\"*/:;<>?\\|", c) != nullptr);
}

bool IsValidName(const char* name) {
    if (IsEmpty(name)) return false;
    for (const char* p = name; *p != '\0'; p = text::Next(p))
        if (IsInvalidNameChar(*p)) return false;
    return true;
}

bool IsPlainName(const char* name) {
    if (!IsValidName(name)) return false;
    char last = '\0';
    for (const char* p = name; *p != '\0'; p = text::Next(p)) last = *p;
    // A trailing dot or space also covers ".", ".." and "...".
    return last != '.' && last != ' ';
}

const char* RelativeTo(const char* folder, const char* path) {
    if (IsEmpty(folder) || IsEmpty(path)) return nullptr;
    const std::size_t length = std::strlen(folder);
    // The folder's length must end on a character of the path, not inside one.
    const char* cut = path;
    while (*cut != '\0' && static_cast<std::size_t>(cut - path) < length) cut = text::Next(cut);
    if (static_cast<std::size_t>(cut - path) != length) return nullptr;
    char head[kMaxPath];
    if (length >= sizeof head) return nullptr;
    std::memcpy(head, path, length);
    head[length] = '\0';
    if (platform::CompareNoCase(head, folder) != 0) return nullptr;
    // "C:\" ends in its separator; "C:\data" needs one after it.
    if (!EndsWithBackslash(folder)) {
        if (*cut != '\\') return nullptr;
        ++cut;
    }
    return *cut != '\0' ? cut : nullptr;
}

void ReplaceInvalidChars(char* name, char replacement) {
    if (name == nullptr) return;
    for (char* p = name; *p != '\0'; p = const_cast<char*>(text::Next(p)))
        if (IsInvalidNameChar(*p)) *p = replacement;
}

namespace {

// True at the first entry of `folder` + `pattern` that `accept` takes.
template <typename Accept>
bool AnyEntry(const char* folder, const char* pattern, Accept accept) {
    if (!IsDirectory(folder)) return false;
    char search[kMaxPath];
    if (!Combine(search, folder, pattern)) return false;
    platform::DirectorySearch listing(search);
    platform::FindData found;
    while (listing.Next(found))
        if (!IsDotEntry(found.name) && accept(found)) return true;
    return false;
}

}  // namespace

bool HasSubdirectories(const char* path) {
    return AnyEntry(path, "*.*", [](const platform::FindData& f) {
        return (f.attributes & platform::kAttrDirectory) != 0;
    });
}

bool HasFiles(const char* folder, const char* pattern) {
    return AnyEntry(folder, pattern, [](const platform::FindData& f) {
        return (f.attributes & platform::kAttrDirectory) == 0;
    });
}

int SplitNumberSuffix(char* text) {
    if (text == nullptr) return 0;
    const char* comma = text::FindCharBackward(text, text + std::strlen(text), ',');
    if (comma == nullptr) return 0;
    int value = text::ParseInt(comma + 1);
    text[comma - text] = '\0';
    return value;
}

}  // namespace path
}  // namespace cataloom
