#include "cli/DataText.h"

#include "core/CatalogFile.h"
#include "core/CatalogPath.h"
#include "core/DisplayText.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "platform/Console.h"

#include <cstring>

namespace cataloom::cli {

namespace {

// Whether a path may hold a name that shows otherwise (a control character,
// a slash, a cut double-byte character, "." or ".."): most paths do not, and
// the plain conversion below is what every exported row costs.
bool MayHoldDamagedName(const std::string& path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        auto c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F || c == '/' || (c == '.' && (i == 0 || path[i - 1] == '\\'))) return true;
        if (c >= 0x80 && platform::IsLeadByte(c)) {
            auto trail = i + 1 < path.size() ? static_cast<unsigned char>(path[i + 1]) : 0;
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return true;
            ++i;
        }
    }
    return false;
}

}  // namespace

std::string DataPath(const char* path, char separator) {
    std::string joined = path;
    if (MayHoldDamagedName(joined)) return platform::console::ToUtf8(VisiblePath(path, separator));
    // Steps over double-byte characters as text::Next does, without a call
    // per byte: this runs for every exported row.
    for (std::size_t i = 0; i < joined.size(); ++i) {
        auto c = static_cast<unsigned char>(joined[i]);
        if (c == '\\') joined[i] = separator;
        else if (c >= 0x80 && platform::IsLeadByte(c) && i + 1 < joined.size()) ++i;
    }
    return platform::console::ToUtf8(joined);
}

std::string PathBelowRoot(const char* inner, char separator) {
    const char* below = BelowCatalogRoot(inner);
    return DataPath(*below != '\0' ? below + 1 : below, separator);
}

void AppendCsvField(std::string& out, const std::string& utf8, bool alwaysQuote) {
    if (!alwaysQuote && utf8.find_first_of(",\"\r\n") == std::string::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvText(std::string& out, const std::string& utf8, bool raw, bool alwaysQuote) {
    if (raw || utf8.empty() || std::strchr("=+-@\t\r", utf8[0]) == nullptr) {
        AppendCsvField(out, utf8, alwaysQuote);
        return;
    }
    AppendCsvField(out, '\'' + utf8, alwaysQuote);
}

void AppendJsonString(std::string& out, const std::string& utf8) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void AppendNumber(std::string& out, std::uint64_t value) {
    char digits[24];
    char* p = digits + sizeof(digits);
    do {
        *--p = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    out.append(p, static_cast<std::size_t>(digits + sizeof(digits) - p));
}

void AppendSize(std::string& out, std::uint64_t size, const char* unknown) {
    if (size == kUnknownTotal) out += unknown;
    else AppendNumber(out, size);
}

void AppendTime(std::string& out, platform::FileTime time, const char* unknown, bool quote) {
    char text[kIsoTimeSize];
    std::size_t length = FormatIsoTime(time, text);
    if (length == 0) {
        out += unknown;
        return;
    }
    if (quote) out += '"';
    out.append(text, length);
    if (quote) out += '"';
}

}  // namespace cataloom::cli
