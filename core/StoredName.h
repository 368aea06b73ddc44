// Names as a catalogue stores them.  A catalogue comes from anyone, so a
// stored name is data, not a path: it may hold what no capture could have
// written (a separator, a control character, "..", a cut double-byte
// character).  Such a name is damaged; it is shown with the offending bytes
// made visible and never as another name.
#pragma once

#include <cstddef>
#include <string>

namespace cataloom {

// The first reason a stored name is one no capture can produce, in the
// order below; kNone for a name a capture could have written.
enum class NameFault {
    kNone,
    kDotName,        // "." or ".."
    kSeparator,      // a "\" or "/" of its own (not the trail byte of a double-byte character)
    kControl,        // a byte below 0x20, or 0x7F
    kBrokenDoubleByte,  // a lead byte at the end, or before a byte that cannot follow one
    kTooLong,        // over 259 bytes
};

NameFault FindNameFault(const char* name);
inline bool IsDamagedName(const char* name) { return FindNameFault(name) != NameFault::kNone; }
// What is wrong, as the check tool reports it ("holds a path separator").
const char* NameFaultText(NameFault fault);

// Whether a name can be one component of a catalogue path (core/CatalogPath.h)
// and be told apart from its neighbours when the path is split again: no
// backslash of its own and no lead byte at its end that would take the
// following separator for its trail byte.
bool FitsCatalogPath(const char* name);

// The name as people see it: a name a capture could have written unchanged;
// a damaged one with every offending byte written "\xHH" (lower-case hex):
// separators, control characters, bytes that are not text in code page 932,
// and the dots of "." and "..".  A damaged name that is only too long keeps
// its bytes.  Different names never look alike: a backslash in the result
// always starts an escape, and every name a capture could have written is
// shown as itself, holds no backslash and is at most 259 bytes.
std::string VisibleName(const char* name);

// A catalogue path (core/CatalogPath.h, whose names all fit one) with every
// name made visible, joined by `separator`.  With `keepDotNames` "." and ".."
// stay as they are: a path someone typed, not names read from a catalogue.
std::string VisiblePath(const char* path, char separator, bool keepDotNames = false);

}  // namespace cataloom
