// The payload of the move clipboard format: a DROPFILES block (five 32-bit
// little-endian words: offset of the path list, cursor x and y, non-client
// flag, wide flag) followed by the paths, each ending in a zero, and one
// more zero that ends the list.  Any process can offer the format, so a
// block read back is untrusted: MovePayload checks its layout, and
// MoveRules the paths it names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cataloom {

class MovePayload {
public:
    static constexpr std::size_t kHeaderSize = 20;

    // The block listing `paths` (ANSI, in this order) with the cursor at
    // (x, y); empty when there is no path or one of them is empty.
    static std::vector<std::uint8_t> Build(const std::vector<std::string>& paths, std::int32_t x, std::int32_t y);

    // Reads a block of `size` bytes.  False when it is shorter than its
    // header, the list starts inside the header or at or past the end, the
    // list holds no path, a path or the list's final zero lies past the end,
    // or a path is longer than a Windows path (259 units).
    bool Parse(const std::uint8_t* bytes, std::size_t size);

    bool Wide() const noexcept { return wide_; }
    // The paths of an ANSI block, or of a wide one (UTF-16 units).
    const std::vector<std::string>& Paths() const noexcept { return paths_; }
    const std::vector<std::u16string>& WidePaths() const noexcept { return widePaths_; }

private:
    bool wide_ = false;
    std::vector<std::string> paths_;
    std::vector<std::u16string> widePaths_;
};

// What a move inside the data folder may name, judged on the paths alone.
namespace move_rules {

// `path` lies strictly inside `dataRoot` (on a component boundary) and each
// component below it is a plain name: no "." or "..", nothing the file
// system would change.
bool IsInside(const char* dataRoot, const char* path);
// Moving `source` into the folder `destination` changes something: the
// source is not there already, and the destination is neither the source
// nor inside it.
bool ChangesPlace(const char* source, const char* destination);

}  // namespace move_rules
}  // namespace cataloom
