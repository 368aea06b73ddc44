#include "core/CommandLine.h"

namespace cataloom {

std::wstring QuoteArgument(const std::wstring& argument) {
    // Backslashes are literal except in a run that ends at a quote: there
    // each one is doubled and the quote itself escaped.  The closing quote
    // ends such a run too.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    quoted.push_back(L'"');
    return quoted;
}

}  // namespace cataloom
