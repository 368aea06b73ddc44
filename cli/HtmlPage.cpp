#include "cli/HtmlPage.h"

#include "cli/PageAssets.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace cataloom::cli {
namespace {

// Where the template takes what the tool adds.
constexpr char kPolicyMark[] = "@POLICY@";
constexpr char kStyleMark[] = "@STYLE@";
constexpr char kDataMark[] = "@DATA@";
constexpr char kScriptMark[] = "@SCRIPT@";

void WriteBase64(const std::string& bytes, Output& output) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string chunk;
    chunk.reserve(1 << 16);
    std::size_t i = 0;
    auto byte = [&](std::size_t at) { return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u; };
    for (; i < bytes.size(); i += 3) {
        unsigned value = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        chunk += kAlphabet[value >> 18];
        chunk += kAlphabet[(value >> 12) & 63];
        chunk += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=';
        chunk += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
        if (chunk.size() >= (1 << 16) - 4) {
            output.Write(chunk);
            chunk.clear();
        }
    }
    output.Write(chunk);
}

}  // namespace

std::string PagePolicy() {
    return std::string("default-src 'none'; script-src '") + kPageScriptDigest + "'; style-src '" + kPageStyleDigest +
           "'; img-src 'none'; base-uri 'none'; form-action 'none'";
}

std::string Gzip(const std::string& bytes) {
    z_stream stream{};
    // 15 window bits, plus 16 for the gzip wrapper that DecompressionStream
    // takes.  Level 1: at a million entries it packs the tables into 16 bytes
    // an entry (level 6: 14) in less than half the time.
    if (deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    constexpr std::size_t kStep = 1 << 20;  // zlib counts in 32 bits
    std::string packed;
    std::size_t taken = 0;
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.avail_in == 0) {
            std::size_t step = std::min(kStep, bytes.size() - taken);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + taken));
            stream.avail_in = static_cast<uInt>(step);
            taken += step;
        }
        std::size_t before = packed.size();
        packed.resize(before + kStep);
        stream.next_out = reinterpret_cast<Bytef*>(&packed[before]);
        stream.avail_out = static_cast<uInt>(kStep);
        result = deflate(&stream, taken == bytes.size() ? Z_FINISH : Z_NO_FLUSH);
        packed.resize(before + kStep - stream.avail_out);
        if (result == Z_BUF_ERROR) result = Z_OK;  // no progress possible this round: go on
    }
    deflateEnd(&stream);
    return result == Z_STREAM_END ? packed : std::string();
}

bool WriteHtmlPage(const PageData& data, Output& output) {
    std::string packed = Gzip(data.Encode());
    if (packed.empty()) return false;
    std::string page(kPageTemplate.data, kPageTemplate.size);
    std::size_t at = 0;
    // The marks in the order the template holds them.
    for (const char* mark : {kPolicyMark, kStyleMark, kDataMark, kScriptMark}) {
        std::size_t found = page.find(mark, at);
        if (found == std::string::npos) return false;
        output.Write(page.data() + at, found - at);
        if (mark == kPolicyMark) output.Write(PagePolicy());
        else if (mark == kStyleMark) output.Write(kPageStyle.data, kPageStyle.size);
        else if (mark == kDataMark) WriteBase64(packed, output);
        else output.Write(kPageScript.data, kPageScript.size);
        at = found + std::strlen(mark);
    }
    output.Write(page.data() + at, page.size() - at);
    return true;
}

}  // namespace cataloom::cli
