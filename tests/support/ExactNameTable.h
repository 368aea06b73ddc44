// The names every exact-name path is tested with (UTF-8 as the disk spells
// them): accented Latin letters, a decomposed accent, pairs that one code
// page 932 form would merge, Korean, simplified Chinese, an emoji (a
// surrogate pair in UTF-16), a symbol the code page has, a double-byte name
// whose code page form has a 0x5C trail byte, and a name at the length
// limit of the disk (255 bytes of UTF-8).
#pragma once

#include <string>
#include <vector>

namespace cataloom::test {

inline const std::vector<std::string>& ExactNameTable() {
    static const std::vector<std::string> names = {
        u8"Beyoncé.mp3",
        u8"Motörhead",
        "cafe\xCC\x81",  // e + U+0301
        u8"café",
        u8"cafe",
        u8"第1話〜第3話",  // wave dash
        u8"第1話～第3話",  // fullwidth tilde
        u8"한국어",
        u8"中文简体",
        u8"🎵",
        u8"♪",
        u8"表示ソé",  // 表 and ソ end in 0x5C in code page 932
        std::string(253, 'a') + u8"é",  // 255 bytes, the most a Linux disk takes
    };
    return names;
}

}  // namespace cataloom::test
