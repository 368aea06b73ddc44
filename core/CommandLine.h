// Arguments of a Windows command line.  Names from a catalogue may hold
// quotes, spaces and backslashes; written through here they stay one
// argument and never become command-line syntax.
#pragma once

#include <string>

namespace cataloom {

// `argument` as one argument of a command line: quoted so that
// CommandLineToArgvW (and the C runtime) read back exactly `argument`.
std::wstring QuoteArgument(const std::wstring& argument);

}  // namespace cataloom
