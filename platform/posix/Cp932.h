// Conversion between the UTF-8 names of a Linux file system and the code
// page 932 names that catalogues hold.
#pragma once

#include <string>

namespace cataloom::platform {

// UTF-8 to code page 932.  A character that code page 932 cannot represent,
// or a byte that is not valid UTF-8, becomes "?", as Windows' ANSI calls do.
std::string Utf8ToCp932(const std::string& utf8);
// Code page 932 to UTF-8.  Invalid sequences become "?".
std::string Cp932ToUtf8(const std::string& cp932);
// The code page 932 name a catalogue stores for a UTF-8 name on disk: each
// backslash (a plain character on Linux, a separator in catalogue paths)
// becomes "_" first.  `changed` is set when the result does not convert
// back to the same name.
std::string Utf8ToCatalogName(const std::string& utf8, bool& changed);
// A code page 932 path as the Linux file system takes it: converted to UTF-8,
// with every backslash separator turned into a slash.
std::string ToNativePath(const char* cp932Path);

}  // namespace cataloom::platform
