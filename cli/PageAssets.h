// The exported page's own files (cli/page), built into the tool by
// cmake/EmbedPage.cmake, and the digests its content-security policy allows
// the style and the script by.
#pragma once

#include <cstddef>

namespace cataloom::cli {

struct PageAsset {
    const char* data;
    std::size_t size;
};

extern const PageAsset kPageTemplate;
extern const PageAsset kPageStyle;
extern const PageAsset kPageScript;
extern const char kPageStyleDigest[];  // "sha256-..."
extern const char kPageScriptDigest[];

}  // namespace cataloom::cli
