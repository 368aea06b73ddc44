// What a search hit must be beside its name: a file or a folder, one of some
// file name extensions, a size range and a range of modification dates.
// The command-line tool takes them as options; the search window as tokens
// in its pattern box (`ext:mp3 size:>100MB dm:2020..2023 beatles`), which
// cannot clash with a file name since ':' has no place in one.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cataloom {

class SearchFilter {
public:
    enum class Type { kAny, kFiles, kFolders };
    // What a hit is: a category folder, a catalogue, or an entry inside one.
    enum class Item { kCategory, kCatalog, kDirectory, kFile };

    static constexpr std::uint64_t kNoLimit = ~0ULL;

    // Files are the entries without the directory attribute; folders are
    // everything else (categories, catalogues, directories).  Extensions and
    // sizes hold only for files; dates for everything but categories, by the
    // entry's modification time or the catalogue's capture time, from `newer`
    // (inclusive) to `older` (exclusive), in UTC.  An unknown time (0) is
    // outside every range.
    bool Accepts(Item item, const char* name, std::uint64_t size, platform::FileTime time) const;
    bool IsEmpty() const;

    // Each false for a text it cannot take, leaving the filter as it was.
    bool SetType(const char* text);          // f, d (file, folder)
    bool SetExtensions(const char* text);    // mp3,flac (a leading dot is allowed)
    bool SetMinSize(const char* text);       // see ParseSize; both bounds inclusive
    bool SetMaxSize(const char* text);
    bool SetNewer(const char* text);         // ISO 8601 date: on or after its start
    bool SetOlder(const char* text);         // before its start
    // A window token's value: "size:" takes >N, >=N, <N, <=N, A..B (either
    // end may be left out) or N; "dm:" the same with dates, a date standing
    // for its whole year, month, day, minute or second.
    bool SetSizeRange(const char* text);
    bool SetDateRange(const char* text);

    Type type = Type::kAny;
    std::vector<std::string> extensions;
    std::uint64_t minSize = 0;
    std::uint64_t maxSize = kNoLimit;
    platform::FileTime newer = 0;
    platform::FileTime older = kNoLimit;
    // Whether a size or date condition was given (a bound may be 0 or the
    // limit and still keep directories or undated items out).
    bool sized = false;
    bool dated = false;
};

// A size with an optional K, M, G or T suffix (powers of 1024, with or
// without a following B, any case).
bool ParseSize(const char* text, std::uint64_t& size);
// An ISO 8601 date or time in UTC: YYYY, YYYY-MM, YYYY-MM-DD, then
// optionally Thh:mm or Thh:mm:ss and Z.  `start` is its first moment,
// `end` the first moment after the period it names.
bool ParseDate(const char* text, platform::FileTime& start, platform::FileTime& end);

// Splits the search window's pattern box into the name pattern and the
// filter tokens (type:, ext:, size:, dm:), separated by spaces.  Without a
// token the pattern is the text exactly as typed; with tokens it is the other
// words joined by single spaces.  False, with `error` naming the bad token,
// for an unknown key or a value a key cannot take.
bool ParseSearchText(const std::string& text, std::string& pattern, SearchFilter& filter, std::string& error);

}  // namespace cataloom
