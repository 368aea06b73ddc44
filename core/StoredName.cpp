#include "core/StoredName.h"

#include "core/PathUtil.h"

#include <cstring>

namespace cataloom {
namespace {

constexpr std::size_t kLongestName = kMaxPath - 1;

bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A lead byte followed by a byte that may complete it.
bool IsDoubleByte(const unsigned char* p) { return platform::IsLeadByte(p[0]) && IsTrailByte(p[1]); }

void AppendEscape(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

}  // namespace

NameFault FindNameFault(const char* name) {
    if (name == nullptr) return NameFault::kNone;
    if (path::IsDotEntry(name)) return NameFault::kDotName;
    bool separator = false, control = false, broken = false;
    const auto* p = reinterpret_cast<const unsigned char*>(name);
    for (; *p != 0; ++p) {
        if (platform::IsLeadByte(*p)) {
            if (IsDoubleByte(p)) ++p;
            else broken = true;
        } else if (*p == '\\' || *p == '/') {
            separator = true;
        } else if (IsControl(*p)) {
            control = true;
        }
    }
    if (separator) return NameFault::kSeparator;
    if (control) return NameFault::kControl;
    if (broken) return NameFault::kBrokenDoubleByte;
    if (reinterpret_cast<const char*>(p) - name > static_cast<std::ptrdiff_t>(kLongestName))
        return NameFault::kTooLong;
    return NameFault::kNone;
}

const char* NameFaultText(NameFault fault) {
    switch (fault) {
    case NameFault::kNone: return "is a name";
    case NameFault::kDotName: return "is \".\" or \"..\"";
    case NameFault::kSeparator: return "holds a path separator";
    case NameFault::kControl: return "holds a control character";
    case NameFault::kBrokenDoubleByte: return "holds a cut double-byte character";
    case NameFault::kTooLong: return "is longer than 259 bytes";
    }
    return "is damaged";
}

bool FitsCatalogPath(const char* name) {
    if (name == nullptr) return false;
    for (const char* p = name; *p != '\0'; p = text::Next(p)) {
        if (*p == '\\') return false;
        if (platform::IsLeadByte(static_cast<unsigned char>(*p)) && p[1] == '\0') return false;
    }
    return true;
}

std::string VisibleName(const char* name) {
    if (name == nullptr) return std::string();
    NameFault fault = FindNameFault(name);
    if (fault == NameFault::kNone || fault == NameFault::kTooLong) return name;
    std::string out;
    out.reserve(std::strlen(name) + 8);
    if (fault == NameFault::kDotName) {
        for (const char* p = name; *p != '\0'; ++p) AppendEscape(out, static_cast<unsigned char>(*p));
        return out;
    }
    for (const auto* p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p) {
        if (IsDoubleByte(p)) {
            out += static_cast<char>(p[0]);
            out += static_cast<char>(*++p);
        } else if (platform::IsLeadByte(*p) || IsControl(*p) || *p == '\\' || *p == '/') {
            AppendEscape(out, *p);
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}

std::string VisiblePath(const char* path, char separator, bool keepDotNames) {
    std::string out;
    if (path == nullptr) return out;
    std::string name;
    for (const char* p = path;; p = text::Next(p)) {
        if (*p != '\\' && *p != '\0') {
            name.append(p, static_cast<std::size_t>(text::Next(p) - p));
            continue;
        }
        out += keepDotNames && path::IsDotEntry(name.c_str()) ? name : VisibleName(name.c_str());
        if (*p == '\0') return out;
        out += separator;
        name.clear();
    }
}

}  // namespace cataloom
