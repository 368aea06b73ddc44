#include "namespace/EntryNames.h"

#include <windows.h>
#include <shlobj.h>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "settings/RegKey.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

// The shell's rule for known types: the extension's key names a type, whose
// key may insist on the extension being shown or hidden.
bool HidesExtension(const char* extension) {
    RegKey type;
    char typeName[kMaxPath] = {};
    if (!type.Open(HKEY_CLASSES_ROOT, extension, KEY_READ) || !type.ReadString("", typeName, sizeof typeName) ||
        typeName[0] == '\0')
        return false;
    RegKey program;
    if (!program.Open(HKEY_CLASSES_ROOT, typeName, KEY_READ)) return false;
    char flag[8];
    if (program.ReadString("NeverShowExt", flag, sizeof flag)) return true;
    if (program.ReadString("AlwaysShowExt", flag, sizeof flag)) return false;
    SHELLFLAGSTATE state = {};
    SHGetSettings(&state, SSF_SHOWEXTENSIONS);
    return !state.fShowExtensions;
}

// The last extension of a sound name that is more than an extension
// (".profile" keeps its dot), or null.
const char* FinalExtension(const char* name) {
    const char* dot = nullptr;
    for (const char* p = name; *p != '\0'; p = text::Next(p))
        if (*p == '.') dot = p;
    return dot != nullptr && dot != name && dot[1] != '\0' ? dot : nullptr;
}

}  // namespace

std::string EntryDisplayName(const ItemId* entry) {
    const char* name = Ids::Name(entry);
    if (IsDamagedName(name)) return VisibleName(name);
    const char* extension = Ids::EntryIsDirectory(entry) ? nullptr : FinalExtension(name);
    if (extension != nullptr && HidesExtension(extension)) return std::string(name, extension);
    return name;
}

std::string EntryTypeProbe(const ItemId* entry) {
    const char* name = Ids::Name(entry);
    const char* extension = IsDamagedName(name) ? nullptr : FinalExtension(name);
    return extension != nullptr ? std::string("x") + extension : std::string("x");
}

}  // namespace cataloom
