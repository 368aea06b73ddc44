// Printing code page 932 text from the command-line tool: every line goes
// through the conversion to the terminal's encoding.
#pragma once

#include <cstdio>
#include <string>

namespace cataloom::cli {

// The separator users write in paths on this system.
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Prints `text` (code page 932) to stdout, converted.
void Print(const std::string& text);
// Prints `utf8` (UTF-8: exact names, shown through ShowExact) to stdout,
// converted.
void PrintUtf8(const std::string& utf8);
// Prints "cataloom: " + `text` and a newline to stderr, converted.
void Error(const std::string& text);
// A code page 932 path with the separators users write on this system
// (still code page 932: Print converts it), control characters and bytes
// that are not text written "\xHH" (core/StoredName.h).
std::string ShowPath(const std::string& path);
// The same for a path read from a catalogue: every name, "." and ".." too,
// as VisibleName shows it.
std::string ShowCatalogPath(const std::string& path);

}  // namespace cataloom::cli
