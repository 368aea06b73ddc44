// Reaching the namespace as Explorer does, for the folder tests: the library
// is registered in the prefix, the desktop folder parses the namespace's
// name and binds to it.  The folder class is served from this program (its
// class object registered with COM), so tests can also reach the folder's
// own operations and the process-wide view list; DllBackedNamespace serves
// it from the built Cataloom.dll instead.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ItemId.h"
#include "namespace/ComPtr.h"
#include "namespace/ListedView.h"
#include "core/TaskMemory.h"
#include "tests/support/TempTree.h"

namespace cataloom::test {

// An identifier list from the task allocator, freed on destruction.
class IdList {
public:
    IdList() = default;
    explicit IdList(void* list) : list_(static_cast<ITEMIDLIST*>(list)) {}

    ITEMIDLIST* Get() const { return list_.Get(); }
    PCUITEMID_CHILD Child() const { return list_.Get(); }
    const ItemId* Id() const { return reinterpret_cast<const ItemId*>(list_.Get()); }
    explicit operator bool() const { return list_ != nullptr; }

private:
    TaskMemory<ITEMIDLIST> list_;
};

ComPtr<IShellFolder> Desktop();
// The desktop folder's parse of "::{folder CLSID}" followed by `rest`.
IdList ParseFromDesktop(const std::string& rest, HRESULT* result = nullptr);
// Binds from the desktop folder to a list it parsed.
ComPtr<IShellFolder> BindFromDesktop(const IdList& absolute, HRESULT* result = nullptr);
// Both of the above: the folder at "::{CLSID}\rest".
ComPtr<IShellFolder> OpenFolder(const std::string& rest);

// Everything a folder enumerates with these flags, in order.
std::vector<IdList> Enumerate(IShellFolder* folder, SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
// The names (at offset 44) of a list of items.
std::vector<std::string> NamesOf(const std::vector<IdList>& items);
// The first item of `items` whose name is `name`.
const IdList& Find(const std::vector<IdList>& items, const std::string& name);

std::string DisplayName(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags);

// Captures `source` into the catalogue `target` named `name`, as the capture
// job does: the volume's header, the worker thread.
void Capture(const std::string& source, const std::string& target, const char* name);

// A data folder for the tests:
//   音楽\                     category with category.ini (icon location)
//     アルバム.vmf            captured: CD1\{01.mp3, 02.mp3}, CD2\, ソース\表.txt, readme.txt
//   書類\                     category with the same icon location, empty
//   隠し\                     hidden category holding disc.VMF (a copy of アルバム.vmf)
//   disc.VMF                  captured, magic, upper-case extension
//   nomagic.vmf               a file without the magic
//   a.b.vmf                   a catalogue whose name holds a further dot (still a catalogue)
//   c.txt                     any other file
//   damaged.vmf               a header whose directory table lies beyond the file's end
//   broken.vmf                a whole-looking header over a table of garbage
// DataRoot points at it for the folder's life.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    const TempTree& Tree() const { return tree_; }
    std::string Path(const std::string& relative = "") const { return tree_.Path(relative); }
    static const char* IconLocation();

private:
    TempTree tree_;
    TempTree source_;
};

// A view that records what the view list asks of it: the event and the
// item's name (a renamed catalogue's with its catalogue name in brackets).
class RecordingView final : public ListedView {
public:
    // Listed in the process's view list from construction to destruction.
    explicit RecordingView(const ITEMIDLIST* folder);
    ~RecordingView();
    void Refresh() override { calls.push_back("Refresh"); }
    int AddItem(const ItemId* item) override;
    void RemoveItem(const ItemId* item) override;
    void UpdateItem(const ItemId* item) override;
    void RenameItem(const ItemId* oldItem, const ItemId* newItem) override;
    ItemId* FolderIdentifier() override;

    std::vector<std::string> calls;

private:
    IdList folder_;
};

// Tests in this fixture reach the folder served by the built library.
class DllBackedNamespace : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace cataloom::test
