#include "namespace/EntryNames.h"

#include <windows.h>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "settings/RegKey.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr char kAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

// A key of the file types: the user's own first, as the merged view of the
// classes gives it (Wine's view holds only the machine's).
bool OpenClassKey(RegKey& key, const char* name) {
    const std::string own = std::string("Software\\Classes\\") + name;
    return key.Open(HKEY_CURRENT_USER, own.c_str(), KEY_READ) || key.Open(HKEY_CLASSES_ROOT, name, KEY_READ);
}

// The shell's rule for known types: the extension's key names a type, whose
// key may insist on the extension being shown or hidden.
bool HidesExtension(const char* extension) {
    RegKey type;
    char typeName[kMaxPath] = {};
    if (!OpenClassKey(type, extension) || !type.ReadString("", typeName, sizeof typeName) || typeName[0] == '\0')
        return false;
    RegKey program;
    if (!OpenClassKey(program, typeName)) return false;
    char flag[8];
    if (program.ReadString("NeverShowExt", flag, sizeof flag)) return true;
    if (program.ReadString("AlwaysShowExt", flag, sizeof flag)) return false;
    // The user's "hide extensions for known file types", where the shell
    // keeps it; Wine's shell answers the setting's query without reading it.
    RegKey advanced;
    DWORD hide = 0;
    return advanced.Open(HKEY_CURRENT_USER, kAdvancedKey, KEY_READ) && advanced.ReadDword("HideFileExt", hide) &&
           hide != 0;
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
