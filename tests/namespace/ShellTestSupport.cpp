#include "tests/namespace/ShellTestSupport.h"

#include <cstring>
#include <fstream>

#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "core/VolumeCapture.h"
#include "namespace/ClassFactory.h"
#include "settings/ClassIds.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ServerClasses.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "tests/core/CaptureRun.h"
#include "tests/support/WinTestSupport.h"
#include "settings/SettingsStore.h"

namespace cataloom::test {
namespace {

DWORD g_classCookie = 0;

void RegisterFolderClass() {
    auto* factory = new ClassFactory(kServerClasses[0].create, kServerClasses[0].lockRule);
    HRESULT hr = CoRegisterClassObject(kClsidFolder, static_cast<IClassFactory*>(factory), CLSCTX_INPROC_SERVER,
                                       REGCLS_MULTIPLEUSE, &g_classCookie);
    factory->Release();
    ASSERT_EQ(hr, S_OK);
}

// Once per program: COM, this program's process-wide objects, the library's
// registration in the prefix, and the folder class served from here.
class NamespaceEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(ProcessObjects::Create(GetModuleHandleA(nullptr)));
        std::string library = ProgramFolder() + "Cataloom.dll";
        library_ = LoadLibraryA(library.c_str());
        ASSERT_NE(library_, nullptr) << library;
        auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_, "DllRegisterServer")));
        ASSERT_NE(registerServer, nullptr);
        ASSERT_EQ(registerServer(), S_OK);
        RegisterFolderClass();
    }
    void TearDown() override {
        CoRevokeClassObject(g_classCookie);
        ProcessObjects::Destroy();
        CoUninitialize();
        if (library_ != nullptr) FreeLibrary(library_);
    }

private:
    HMODULE library_ = nullptr;
};

const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new NamespaceEnvironment), true);

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string HeaderBytes(std::uint32_t tableSize) {
    CatalogHeader header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(header.magic, "!vmf", 4);
    header.tableOffset = kHeaderSize;
    header.tableSize = tableSize;
    std::strcpy(header.name, "壊れた");
    return std::string(reinterpret_cast<const char*>(&header), sizeof header);
}

}  // namespace

ComPtr<IShellFolder> Desktop() {
    ComPtr<IShellFolder> desktop;
    EXPECT_EQ(SHGetDesktopFolder(desktop.Put()), S_OK);
    return desktop;
}

IdList ParseFromDesktop(const std::string& rest, HRESULT* result) {
    std::wstring name = Wide(std::string(kFolderParsingName) + (rest.empty() ? "" : "\\" + rest));
    PIDLIST_RELATIVE list = nullptr;
    HRESULT hr = Desktop()->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr);
    if (result != nullptr) *result = hr;
    return IdList(list);
}

ComPtr<IShellFolder> BindFromDesktop(const IdList& absolute, HRESULT* result) {
    ComPtr<IShellFolder> folder;
    HRESULT hr = Desktop()->BindToObject(absolute.Get(), nullptr, IID_IShellFolder, folder.PutVoid());
    if (result != nullptr) *result = hr;
    return folder;
}

ComPtr<IShellFolder> OpenFolder(const std::string& rest) {
    HRESULT hr = E_FAIL;
    IdList list = ParseFromDesktop(rest, &hr);
    EXPECT_EQ(hr, S_OK) << rest;
    if (!list) return ComPtr<IShellFolder>();
    ComPtr<IShellFolder> folder = BindFromDesktop(list, &hr);
    EXPECT_EQ(hr, S_OK) << rest;
    return folder;
}

std::vector<IdList> Enumerate(IShellFolder* folder, SHCONTF flags) {
    std::vector<IdList> items;
    ComPtr<IEnumIDList> enumerator;
    EXPECT_EQ(folder->EnumObjects(nullptr, flags, enumerator.Put()), S_OK);
    if (!enumerator) return items;
    for (;;) {
        PITEMID_CHILD item = nullptr;
        ULONG fetched = 0;
        if (enumerator->Next(1, &item, &fetched) != S_OK) break;
        items.emplace_back(item);
    }
    return items;
}

std::vector<std::string> NamesOf(const std::vector<IdList>& items) {
    std::vector<std::string> names;
    for (const IdList& item : items) names.push_back(ItemIdFactory::Name(item.Id()));
    return names;
}

const IdList& Find(const std::vector<IdList>& items, const std::string& name) {
    for (const IdList& item : items)
        if (name == ItemIdFactory::Name(item.Id())) return item;
    ADD_FAILURE() << "no item named " << name;
    static const IdList none;
    return none;
}

std::string DisplayName(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags) {
    STRRET result = {};
    char text[520] = {};
    HRESULT hr = folder->GetDisplayNameOf(item, flags, &result);
    if (FAILED(hr)) return "<" + std::to_string(hr) + ">";
    EXPECT_TRUE(StrRetToAnsi(&result, reinterpret_cast<PCUIDLIST_RELATIVE>(item), text, sizeof text));
    return text;
}

void Capture(const std::string& source, const std::string& target, const char* name) {
    // The header as the capture menu fills it from the volume, then named.
    CatalogHeader header;
    ASSERT_TRUE(VolumeCapture(source.c_str(), &header));
    std::strncpy(header.name, name, sizeof header.name - 1);
    RecordingSink sink;
    CaptureTask task(source.c_str(), target.c_str(), header, sink);
    ASSERT_TRUE(task.Start());
    task.Wait();
    ASSERT_EQ(task.Result(), CaptureTask::Outcome::kSucceeded) << target;
}

const char* DataFolder::IconLocation() { return "C:\\windows\\system32\\shell32.dll,3"; }

DataFolder::DataFolder() {
    source_.MakeDir("CD1");
    source_.MakeFile("CD1\\01.mp3", 3000);
    source_.MakeFile("CD1\\02.mp3", 1500);
    source_.MakeDir("CD2");
    source_.MakeDir("ソース");
    source_.MakeFile("ソース\\表.txt", 10);
    source_.MakeFile("readme.txt", 100);

    tree_.MakeDir("音楽");
    tree_.MakeDir("書類");
    tree_.MakeDir("隠し");
    tree_.Hide("隠し");
    for (const char* category : {"音楽", "書類"})
        WritePrivateProfileStringA("Cataloom", "Icon", IconLocation(),
                                   (tree_.Path(category) + "\\category.ini").c_str());
    Capture(source_.Root(), tree_.Path("音楽\\アルバム.vmf"), "アルバム");
    Capture(source_.Root(), tree_.Path("disc.VMF"), "ディスク");
    CopyFileA(tree_.Path("disc.VMF").c_str(), tree_.Path("隠し\\disc.VMF").c_str(), FALSE);
    CopyFileA(tree_.Path("disc.VMF").c_str(), tree_.Path("a.b.vmf").c_str(), FALSE);
    WriteBytes(tree_.Path("nomagic.vmf"), std::string(600, 'x'));
    WriteBytes(tree_.Path("c.txt"), "text");
    WriteBytes(tree_.Path("damaged.vmf"), HeaderBytes(1000) + std::string(10, '\0'));
    WriteBytes(tree_.Path("broken.vmf"), HeaderBytes(20) + std::string(20, '\xFF'));
    ProcessObjects::Settings().SetDataRoot(tree_.Root().c_str());
}

DataFolder::~DataFolder() {
    ProcessObjects::Reader().Release();
    ProcessObjects::Settings().SetDataRoot("");
}

RecordingView::RecordingView(const ITEMIDLIST* folder) : folder_(ILClone(folder)) {
    ProcessObjects::Views().Add(this);
}

RecordingView::~RecordingView() { ProcessObjects::Views().Remove(this); }

int RecordingView::AddItem(const ItemId* item) {
    calls.push_back(std::string("Add ") + ItemIdFactory::Name(item));
    return static_cast<int>(calls.size());
}

void RecordingView::RemoveItem(const ItemId* item) { calls.push_back(std::string("Remove ") + ItemIdFactory::Name(item)); }

void RecordingView::UpdateItem(const ItemId* item) { calls.push_back(std::string("Update ") + ItemIdFactory::Name(item)); }

namespace {
// A replaced catalogue keeps its file name: its catalogue name tells the
// records apart.
std::string ReplacedName(const ItemId* item) {
    std::string name = ItemIdFactory::Name(item);
    if (ItemIdFactory::Kind(item) == kKindMedia) name += std::string("(") + ItemIdFactory::MediaName(item) + ")";
    return name;
}
}  // namespace

void RecordingView::RenameItem(const ItemId* oldItem, const ItemId* newItem) {
    calls.push_back("Rename " + ReplacedName(oldItem) + " " + ReplacedName(newItem));
}

ItemId* RecordingView::FolderIdentifier() { return ProcessObjects::ItemIds().Copy(reinterpret_cast<const ItemId*>(folder_.Get())); }

void DllBackedNamespace::SetUp() { ASSERT_EQ(CoRevokeClassObject(g_classCookie), S_OK); }

void DllBackedNamespace::TearDown() { RegisterFolderClass(); }

}  // namespace cataloom::test
