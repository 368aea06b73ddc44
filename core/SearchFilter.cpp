#include "core/SearchFilter.h"

#include "core/PathUtil.h"


namespace cataloom {
namespace {

constexpr platform::FileTime kTicksPerSecond = 10000000ULL;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysBefore1970 = 134774;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads exactly `digits` decimal digits.
bool ReadNumber(const char*& p, int digits, unsigned& value) {
    value = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    return true;
}

platform::FileTime ToFileTime(unsigned year, unsigned month, unsigned day, unsigned seconds) {
    const std::int64_t days = DaysFromCivil(year, month, day) + kDaysBefore1970;
    return (static_cast<platform::FileTime>(days) * 86400 + seconds) * kTicksPerSecond;
}

// Splits "A..B" (either side may be empty); false when there is no "..".
bool SplitRange(const std::string& text, std::string& low, std::string& high) {
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) return false;
    low = text.substr(0, dots);
    high = text.substr(dots + 2);
    return true;
}

// The comparison in front of a range value: ">", ">=", "<", "<=" or none.
std::string TakeComparison(std::string& text) {
    std::size_t length = 0;
    if (!text.empty() && (text[0] == '>' || text[0] == '<')) length = text.size() > 1 && text[1] == '=' ? 2 : 1;
    std::string comparison = text.substr(0, length);
    text.erase(0, length);
    return comparison;
}

// The name's extension after its last dot, or null when it has none.
const char* LastExtension(const char* name) {
    const char* extension = nullptr;
    for (const char* p = name; *p != '\0'; p = text::Next(p))
        if (*p == '.') extension = p + 1;
    return extension;
}

}  // namespace

bool ParseSize(const char* text, std::uint64_t& size) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    std::uint64_t value = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (value > (SearchFilter::kNoLimit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    int shift = 0;
    switch (*p) {
    case 'k': case 'K': shift = 10; break;
    case 'm': case 'M': shift = 20; break;
    case 'g': case 'G': shift = 30; break;
    case 't': case 'T': shift = 40; break;
    default: break;
    }
    if (shift != 0) ++p;
    if (*p == 'b' || *p == 'B') ++p;
    if (*p != '\0' || (shift != 0 && value > (SearchFilter::kNoLimit >> shift))) return false;
    size = value << shift;
    return true;
}

bool ParseDate(const char* text, platform::FileTime& start, platform::FileTime& end) {
    if (text == nullptr) return false;
    const char* p = text;
    unsigned year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(p, 4, year) || year < 1601) return false;
    // The period the text names ends where its last field goes up by one.
    enum { kYear, kMonth, kDay, kMinute, kSecond } precision = kYear;
    if (*p == '-') {
        ++p;
        if (!ReadNumber(p, 2, month) || month < 1 || month > 12) return false;
        precision = kMonth;
        if (*p == '-') {
            ++p;
            if (!ReadNumber(p, 2, day) || day < 1 || day > DaysInMonth(year, month)) return false;
            precision = kDay;
            if (*p == 'T' || *p == 't') {
                ++p;
                if (!ReadNumber(p, 2, hour) || *p++ != ':' || !ReadNumber(p, 2, minute) || hour > 23 || minute > 59)
                    return false;
                precision = kMinute;
                if (*p == ':') {
                    ++p;
                    if (!ReadNumber(p, 2, second) || second > 59) return false;
                    precision = kSecond;
                }
                if (*p == 'Z' || *p == 'z') ++p;
            }
        }
    }
    if (*p != '\0') return false;
    start = ToFileTime(year, month, day, hour * 3600 + minute * 60 + second);
    switch (precision) {
    case kYear: end = ToFileTime(year + 1, 1, 1, 0); break;
    case kMonth: end = month == 12 ? ToFileTime(year + 1, 1, 1, 0) : ToFileTime(year, month + 1, 1, 0); break;
    case kDay: end = start + 86400 * kTicksPerSecond; break;
    case kMinute: end = start + 60 * kTicksPerSecond; break;
    case kSecond: end = start + kTicksPerSecond; break;
    }
    return true;
}

bool SearchFilter::Accepts(Item item, const char* name, std::uint64_t size, platform::FileTime time) const {
    if (type == Type::kFiles && item != Item::kFile) return false;
    if (type == Type::kFolders && item == Item::kFile) return false;
    if (!extensions.empty()) {
        const char* extension = item == Item::kFile && name != nullptr ? LastExtension(name) : nullptr;
        if (extension == nullptr) return false;
        bool listed = false;
        for (const std::string& wanted : extensions)
            if (platform::CompareNoCase(extension, wanted.c_str()) == 0) listed = true;
        if (!listed) return false;
    }
    if (sized) {
        if (item != Item::kFile || size < minSize || size > maxSize) return false;
    }
    if (dated) {
        if (item == Item::kCategory || time == 0 || time < newer || time >= older) return false;
    }
    return true;
}

bool SearchFilter::IsEmpty() const {
    return type == Type::kAny && extensions.empty() && !sized && !dated;
}

bool SearchFilter::SetType(const char* text) {
    const std::string value = text != nullptr ? text : "";
    if (value == "f" || value == "file") type = Type::kFiles;
    else if (value == "d" || value == "folder" || value == "dir") type = Type::kFolders;
    else return false;
    return true;
}

bool SearchFilter::SetExtensions(const char* text) {
    std::vector<std::string> list;
    std::string value = text != nullptr ? text : "";
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        std::string extension = value.substr(start, comma - start);
        if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
        if (extension.empty() || extension.find('.') != std::string::npos) return false;
        list.push_back(extension);
        start = comma + 1;
    }
    extensions = list;
    return true;
}

bool SearchFilter::SetMinSize(const char* text) { return ParseSize(text, minSize) && (sized = true); }
bool SearchFilter::SetMaxSize(const char* text) { return ParseSize(text, maxSize) && (sized = true); }

bool SearchFilter::SetNewer(const char* text) {
    platform::FileTime end;
    return ParseDate(text, newer, end) && (dated = true);
}

bool SearchFilter::SetOlder(const char* text) {
    platform::FileTime end;
    return ParseDate(text, older, end) && (dated = true);
}

bool SearchFilter::SetSizeRange(const char* text) {
    std::string value = text != nullptr ? text : "";
    std::uint64_t low = 0, high = kNoLimit;
    std::string lowText, highText;
    if (SplitRange(value, lowText, highText)) {
        if ((lowText.empty() && highText.empty()) || (!lowText.empty() && !ParseSize(lowText.c_str(), low)) ||
            (!highText.empty() && !ParseSize(highText.c_str(), high)))
            return false;
    } else {
        const std::string comparison = TakeComparison(value);
        std::uint64_t size = 0;
        if (!ParseSize(value.c_str(), size)) return false;
        // A bound that no size can pass (> the largest, < 0) keeps every file out.
        if (comparison == ">") {
            low = size == kNoLimit ? kNoLimit : size + 1;
            if (size == kNoLimit) high = 0;
        } else if (comparison == ">=") low = size;
        else if (comparison == "<") {
            high = size == 0 ? 0 : size - 1;
            if (size == 0) low = 1;
        } else if (comparison == "<=") high = size;
        else low = high = size;
    }
    minSize = low;
    maxSize = high;
    sized = true;
    return true;
}

bool SearchFilter::SetDateRange(const char* text) {
    std::string value = text != nullptr ? text : "";
    platform::FileTime from = 0, to = kNoLimit, start = 0, end = 0;
    std::string lowText, highText;
    if (SplitRange(value, lowText, highText)) {
        if (lowText.empty() && highText.empty()) return false;
        if (!lowText.empty()) {
            if (!ParseDate(lowText.c_str(), start, end)) return false;
            from = start;
        }
        if (!highText.empty()) {
            if (!ParseDate(highText.c_str(), start, end)) return false;
            to = end;
        }
    } else {
        const std::string comparison = TakeComparison(value);
        if (!ParseDate(value.c_str(), start, end)) return false;
        if (comparison == ">") from = end;
        else if (comparison == ">=") from = start;
        else if (comparison == "<") to = start;
        else if (comparison == "<=") to = end;
        else {
            from = start;
            to = end;
        }
    }
    newer = from;
    older = to;
    dated = true;
    return true;
}

bool ParseSearchText(const std::string& text, std::string& pattern, SearchFilter& filter, std::string& error) {
    SearchFilter parsed;
    std::string words;
    bool tokens = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        const std::size_t colon = word.find(':');
        if (colon == std::string::npos) {
            words += (words.empty() ? "" : " ") + word;
            continue;
        }
        tokens = true;
        const std::string key = word.substr(0, colon);
        const char* value = word.c_str() + colon + 1;
        bool taken = false;
        if (key == "type") taken = parsed.SetType(value);
        else if (key == "ext") taken = parsed.SetExtensions(value);
        else if (key == "size") taken = parsed.SetSizeRange(value);
        else if (key == "dm") taken = parsed.SetDateRange(value);
        if (!taken) {
            error = word;
            return false;
        }
    }
    pattern = tokens ? words : text;
    filter = parsed;
    return true;
}

}  // namespace cataloom
