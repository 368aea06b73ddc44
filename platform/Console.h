// What a command-line program needs from the system: arguments in code page
// 932, text converted for the terminal, absolute paths and Ctrl-C.  Linux
// terminals and arguments are UTF-8 with "/" separators; Windows consoles use
// their own code page.
#pragma once

#include <cstdio>
#include <string>

namespace cataloom::platform::console {

// A command-line argument as code page 932 text.
std::string ArgumentText(const char* argument);
// A command-line argument as UTF-8, for exact names (Windows: from the
// ANSI code page the runtime hands the arguments in).
std::string ArgumentUtf8(const char* argument);
// A command-line argument naming a path: code page 932 with backslash
// separators, as the catalogue core takes paths.
std::string ArgumentPath(const char* argument);
// The absolute form of a code page 932 path; false if it cannot be formed.
bool AbsolutePath(const std::string& path, std::string& absolute);

// Code page 932 text as the terminal shows it.
std::string ToTerminal(const std::string& text);
// UTF-8 text as the terminal shows it.
std::string Utf8ToTerminal(const std::string& utf8);
// Code page 932 text as UTF-8, for data written to files and pipes whatever
// the terminal uses.  A sequence that is not code page 932 is replaced.
std::string ToUtf8(const std::string& text);
// Writes to `stream` byte for byte from now on (no CR added before a LF).
void BinaryOutput(std::FILE* stream);

bool IsTerminal(std::FILE* stream);
// Columns of the terminal behind `stream`; 80 when unknown.
int TerminalWidth(std::FILE* stream);

// From now on Ctrl-C (and a termination request) only sets a flag.
void CatchInterrupt();
bool Interrupted();

}  // namespace cataloom::platform::console
