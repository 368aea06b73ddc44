#include "library/Registration.h"

#include <olectl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "settings/ClassIds.h"
#include "namespace/ComResult.h"
#include "namespace/ModulePath.h"
#include "settings/RegKey.h"
#include "resources/CataloomResource.h"
#include "settings/SettingsStore.h"

namespace cataloom {

namespace {
constexpr char kServerFileName[] = "Cataloom.dll";
constexpr char kDataRootFolderName[] = "DataRoot";
constexpr char kDataRootValue[] = "DataRoot";
constexpr char kMakerKey[] = "Software\\Quillmoor";
constexpr char kCaption[] = "Cataloom";

// Key paths shared by registration and unregistration.
constexpr char kClsidKey[] = "CLSID\\%s";
constexpr char kFileTypeKey[] = ".vmf";
constexpr char kProgIdKey[] = "Virtual.Media.File";
constexpr char kDirectoryMenuKey[] = "Directory\\shellex\\ContextMenuHandlers\\Cataloom";
constexpr char kDriveMenuKey[] = "Drive\\shellex\\ContextMenuHandlers\\Cataloom";
constexpr char kFindExtensions[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FindExtensions";
constexpr char kFindEntryKey[] = "%s\\static\\Cataloom";
constexpr char kDesktopNameSpace[] = "Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Desktop\\NameSpace";
constexpr char kNameSpaceEntryKey[] = "%s\\%s";  // with kDesktopNameSpace and the folder CLSID
constexpr char kApprovedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// One argument of a key path or value format, expanded with wsprintfA.
std::string Format(const char* format, const char* first, const char* second = nullptr) {
    char text[1025];
    wsprintfA(text, format, first, second);
    return text;
}

std::string LoadText(HINSTANCE library, UINT id) {
    char text[512] = {};
    LoadStringA(library, id, text, sizeof text);
    return text;
}

struct RegistryValue {
    HKEY root;
    std::string key;
    const char* name;  // null: the key's default value
    std::string text;  // the string written, unless `isDword`
    bool isDword = false;
    DWORD number = 0;
};

std::vector<RegistryValue> RegistrationValues(HINSTANCE library, const std::string& server) {
    const std::string folderKey = Format(kClsidKey, kClsidFolderText);
    const std::string captureKey = Format(kClsidKey, kClsidCaptureMenuText);
    const std::string searchKey = Format(kClsidKey, kClsidSearchMenuText);
    const std::string pageKey = Format(kClsidKey, kClsidPropertyPageText);
    const std::string findKey = Format(kFindEntryKey, kFindExtensions);
    const std::string progId = kProgIdKey;
    const std::string iconZero = Format("%s,0", server.c_str());
    HKEY const cr = HKEY_CLASSES_ROOT;
    HKEY const lm = HKEY_LOCAL_MACHINE;
    return {
        {cr, folderKey, nullptr, "Cataloom"},
        {cr, folderKey, "InfoTip", LoadText(library, IDS_NAMESPACE_INFOTIP)},
        {cr, folderKey + "\\InprocServer32", nullptr, server},
        {cr, folderKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, folderKey + "\\DefaultIcon", nullptr, iconZero},
        {cr, folderKey + "\\ShellFolder", "Attributes", {}, true,
         SFGAO_HASSUBFOLDER | SFGAO_FOLDER | SFGAO_DROPTARGET | SFGAO_HASPROPSHEET},
        {cr, folderKey + "\\shell\\root\\command", nullptr, Format("explorer /e,/root,%s", kFolderParsingName)},
        {cr, kFileTypeKey, nullptr, progId},
        {cr, progId, nullptr, LoadText(library, IDS_FILE_TYPE_NAME)},
        {cr, progId + "\\CLSID", nullptr, kClsidFolderText},
        {cr, progId + "\\DefaultIcon", nullptr, Format("%s,1", server.c_str())},
        {cr, progId + "\\shell\\explore", nullptr, LoadText(library, IDS_EXPLORE_VERB)},
        {cr, progId + "\\shell\\explore\\command", nullptr, Format("explorer /e,/root,%s,%%L", kClsidFolderText)},
        {cr, captureKey, nullptr, "CataloomImager"},
        {cr, captureKey + "\\InprocServer32", nullptr, server},
        {cr, captureKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, kDirectoryMenuKey, nullptr, kClsidCaptureMenuText},
        {cr, kDriveMenuKey, nullptr, kClsidCaptureMenuText},
        {cr, searchKey, nullptr, "CataloomSearcher"},
        {cr, searchKey + "\\InprocServer32", nullptr, server},
        {cr, searchKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, folderKey + "\\shellex\\ContextMenuHandlers\\Searcher", nullptr, kClsidSearchMenuText},
        {lm, findKey, nullptr, kClsidSearchMenuText},
        {lm, findKey + "\\0", nullptr, LoadText(library, IDS_FIND_MENU_TEXT)},
        {lm, findKey + "\\0\\DefaultIcon", nullptr, iconZero},
        {lm, findKey + "\\0\\HelpText", nullptr, LoadText(library, IDS_FIND_MENU_HELP)},
        {cr, pageKey, nullptr, "CataloomPropPage"},
        {cr, pageKey + "\\InprocServer32", nullptr, server},
        {cr, pageKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {cr, folderKey + "\\shellex\\PropertySheetHandlers\\PropPage", nullptr, kClsidPropertyPageText},
        {lm, Format(kNameSpaceEntryKey, kDesktopNameSpace, kClsidFolderText), nullptr, LoadText(library, IDS_NAMESPACE_NAME)},
        {lm, kApprovedKey, kClsidFolderText, "Cataloom"},
        {lm, kApprovedKey, kClsidCaptureMenuText, "CataloomImager"},
        {lm, kApprovedKey, kClsidSearchMenuText, "CataloomSearcher"},
        {lm, kApprovedKey, kClsidPropertyPageText, "CataloomPropPage"},
    };
}

// Written one by one; a value that cannot be written does not stop the rest.
void WriteValue(const RegistryValue& value) noexcept {
    if (!value.isDword) {
        SetRegString(value.root, value.key.c_str(), value.name, value.text.c_str());
        return;
    }
    RegKey key;
    if (key.Create(value.root, value.key.c_str())) key.WriteDword(value.name, value.number);
}

void NotifyShell(LONG folderEvent) noexcept {
    SHChangeNotify(folderEvent, SHCNF_PATHA, kFolderParsingName, nullptr);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    SHChangeNotify(0, SHCNF_FLUSH, nullptr, nullptr);
}

void RemoveSettings() noexcept {
    DeleteRegTree(HKEY_CURRENT_USER, SettingsStore::kKeyPath);
    // The maker's key goes only when no other product of it keeps settings there.
    if (RegKeyHasNoSubkeys(HKEY_CURRENT_USER, kMakerKey)) RegDeleteKeyA(HKEY_CURRENT_USER, kMakerKey);
}
}  // namespace

HRESULT RegisterServer(HINSTANCE library) noexcept {
    return ComFirewall([&]() -> HRESULT {
        char folder[MAX_PATH];
        if (!GetModuleFolder(library, folder, sizeof folder)) return SELFREG_E_CLASS;
        const std::string server = std::string(folder) + kServerFileName;
        const std::string dataRoot = std::string(folder) + kDataRootFolderName;
        if (server.size() >= MAX_PATH || dataRoot.size() >= MAX_PATH) return SELFREG_E_CLASS;

        RegKey settings;
        if (!settings.Create(HKEY_CURRENT_USER, SettingsStore::kKeyPath)) return SELFREG_E_CLASS;
        settings.WriteString(kDataRootValue, dataRoot.c_str());
        CreateDirectoryA(dataRoot.c_str(), nullptr);  // may exist already
        settings.Close();

        for (const RegistryValue& value : RegistrationValues(library, server)) WriteValue(value);
        NotifyShell(SHCNE_MKDIR);
        return S_OK;
    });
}

HRESULT UnregisterServer(HINSTANCE library) noexcept {
    ComFirewall([&]() -> HRESULT {
        struct Tree {
            HKEY root;
            std::string key;
        };
        const Tree trees[] = {
            {HKEY_CLASSES_ROOT, Format(kClsidKey, kClsidFolderText)},
            {HKEY_CLASSES_ROOT, kFileTypeKey},
            {HKEY_CLASSES_ROOT, kProgIdKey},
            {HKEY_CLASSES_ROOT, Format(kClsidKey, kClsidCaptureMenuText)},
            {HKEY_CLASSES_ROOT, kDirectoryMenuKey},
            {HKEY_CLASSES_ROOT, kDriveMenuKey},
            {HKEY_CLASSES_ROOT, Format(kClsidKey, kClsidSearchMenuText)},
            {HKEY_LOCAL_MACHINE, Format(kFindEntryKey, kFindExtensions)},
            {HKEY_CLASSES_ROOT, Format(kClsidKey, kClsidPropertyPageText)},
            {HKEY_LOCAL_MACHINE, Format(kNameSpaceEntryKey, kDesktopNameSpace, kClsidFolderText)},
        };
        // A key that is not there is skipped.
        for (const Tree& tree : trees) DeleteRegTree(tree.root, tree.key.c_str());
        for (const char* clsid : {kClsidFolderText, kClsidCaptureMenuText, kClsidSearchMenuText, kClsidPropertyPageText})
            DeleteRegValue(HKEY_LOCAL_MACHINE, kApprovedKey, clsid);
        NotifyShell(SHCNE_RMDIR);

        const std::string question = LoadText(library, IDS_UNINSTALL_SETTINGS_QUESTION);
        if (MessageBoxA(nullptr, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) RemoveSettings();
        return S_OK;
    });
    return S_OK;
}

}  // namespace cataloom
