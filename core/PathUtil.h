// Operations on ANSI paths and strings in the system code page.  Every scan
// steps over double-byte characters, so a trail byte equal to a backslash
// (the second byte of "ソ", 0x83 0x5C) is never taken for a separator.
// Path buffers hold at most kMaxPath bytes including the terminator; an
// operation that fails leaves its buffer unchanged.
#pragma once

#include "platform/Platform.h"

#include <cstddef>

namespace cataloom {

using platform::kMaxPath;

namespace path {

bool Exists(const char* path);
bool IsDirectory(const char* path);
bool EndsWithBackslash(const char* path);
bool AddBackslash(char* path);
bool RemoveBackslash(char* path);
bool Append(char* path, const char* name);
bool Combine(char* out, const char* folder, const char* name);
const char* LastComponent(const char* path);
bool RemoveLastComponent(char* path);
const char* Extension(const char* name);
bool AddExtension(char* name, const char* extension);
bool IsFullPath(const char* path);
bool IsRoot(const char* path);
bool ReduceToRoot(char* path);
bool IsDotEntry(const char* name);
bool IsInvalidNameChar(char c);
bool IsValidName(const char* name);
// A valid name that the file system keeps as given and that names an entry of
// the folder itself: no "." or "..", and no trailing dot or space, which
// Windows drops ("abc." reaches "abc", ".. " the parent folder).
bool IsPlainName(const char* name);
void ReplaceInvalidChars(char* name, char replacement);
// The part of `path` below `folder`: what follows the folder and its
// separator when the path lies inside it, the folder's name ending on a
// component boundary (compared without regard to case, as the file system
// does); null for the folder itself, a path outside it or a null argument.
// "C:\data" holds "C:\data\a.vmf" but not "C:\database\a.vmf".
const char* RelativeTo(const char* folder, const char* path);
bool HasSubdirectories(const char* path);
bool HasFiles(const char* folder, const char* pattern);
int SplitNumberSuffix(char* text);

}  // namespace path

namespace text {

// Next character (one or two bytes); never steps past the terminator.
const char* Next(const char* p);
const char* FindChar(const char* s, char c);
const char* FindCharBackward(const char* start, const char* end, char c);
int ParseInt(const char* s);
// Copies at most capacity - 1 bytes and terminates, never splitting a
// double-byte character.  Returns the number of bytes copied.
std::size_t CopyTruncated(char* out, std::size_t capacity, const char* in);

}  // namespace text
}  // namespace cataloom
