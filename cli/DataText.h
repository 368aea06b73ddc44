// Text of the data the tool writes for other programs (export, --json):
// UTF-8 whatever the terminal uses, CSV fields quoted as RFC 4180 says, JSON
// strings escaped, paths inside a catalogue joined by "/".
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace cataloom::cli {

// A code page 932 path with every backslash separator (never the trail byte
// of a double-byte character) turned into `separator` and every name made
// visible (core/StoredName.h), converted to UTF-8.
std::string DataPath(const char* path, char separator = '/');
// A catalogue path's part below the root ("" for the root itself), as
// DataPath writes it.
std::string PathBelowRoot(const char* inner, char separator = '/');

// Appends one CSV field: quoted, with quotes doubled, when it holds a comma,
// a quote, CR or LF, or always with `alwaysQuote`.
void AppendCsvField(std::string& out, const std::string& utf8, bool alwaysQuote = false);
// The same for a text cell that a spreadsheet would take for a formula when
// it begins with "=", "+", "-", "@", tab or CR: an apostrophe goes first,
// unless `raw`.
void AppendCsvText(std::string& out, const std::string& utf8, bool raw, bool alwaysQuote = false);
// Appends a JSON string literal: quotes, backslashes and control characters
// escaped, everything else (UTF-8) as it is.
void AppendJsonString(std::string& out, const std::string& utf8);
void AppendNumber(std::string& out, std::uint64_t value);
// Appends the number, or `unknown` for a size the catalogue does not know.
void AppendSize(std::string& out, std::uint64_t size, const char* unknown);
// Appends an ISO 8601 UTC time, or `unknown` for the zero time; `quote`
// puts it in double quotes (JSON).
void AppendTime(std::string& out, platform::FileTime time, const char* unknown, bool quote);

}  // namespace cataloom::cli
