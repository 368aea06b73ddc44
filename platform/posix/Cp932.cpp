#include "platform/posix/Cp932.h"

#include <iconv.h>

#include <cerrno>

namespace cataloom::platform {
namespace {

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; at an unconvertible or invalid sequence it emits "?" and
    // skips `skip(byte)` input bytes.
    template <typename SkipFn>
    std::string Run(const std::string& in, SkipFn skip) {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 3 + 4);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char* dst = out.data();
        size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) break;  // cannot happen with the size reserved above
            // EILSEQ or EINVAL: replace one character and go on.
            size_t n = skip(static_cast<unsigned char>(*src));
            if (n > srcLeft) n = srcLeft;
            src += n;
            srcLeft -= n;
            if (dstLeft == 0) break;
            *dst++ = '?';
            --dstLeft;
        }
        out.resize(out.size() - dstLeft);
        return out;
    }

private:
    iconv_t cd_;
};

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

size_t Cp932SequenceLength(unsigned char lead) {
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) {
    if (IsAscii(utf8)) return utf8;
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Run(utf8, Utf8SequenceLength);
}

std::string Cp932ToUtf8(const std::string& cp932) {
    if (IsAscii(cp932)) return cp932;
    thread_local Converter converter("UTF-8", "CP932");
    return converter.Run(cp932, Cp932SequenceLength);
}

std::string Utf8ToCatalogName(const std::string& utf8, bool& changed) {
    std::string safe = utf8;
    for (char& c : safe)
        if (c == '\\') c = '_';
    std::string name = Utf8ToCp932(safe);
    changed = safe != utf8 || Cp932ToUtf8(name) != safe;
    return name;
}

std::string ToNativePath(const char* cp932Path) {
    std::string path = Cp932ToUtf8(cp932Path ? cp932Path : "");
    // After conversion every 0x5C byte is a real backslash: UTF-8 never uses
    // it inside a multi-byte character.
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

}  // namespace cataloom::platform
