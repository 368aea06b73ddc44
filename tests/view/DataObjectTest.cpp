// The data object of dragged categories and catalogues through the real OLE
// machinery: the move block byte by byte, QueryGetData's order of errors,
// the format enumerator, the OLE clipboard, and the folders that refuse it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ItemIdFactory.h"
#include "namespace/ProcessObjects.h"
#include "tests/view/DragDropSupport.h"
#include "tests/view/ViewData.h"
#include "view/MoveRequest.h"

namespace cataloom::test {
namespace {

using Paths = std::vector<std::string>;

// A block with the cursor at (x, y) and the path list `list`.
Bytes Block(int x, int y, const std::string& list) {
    std::string bytes(20, '\0');
    bytes[0] = 20;
    std::memcpy(&bytes[4], &x, 4);
    std::memcpy(&bytes[8], &y, 4);
    bytes[12] = 1;
    bytes += list;
    return Bytes(bytes.begin(), bytes.end());
}

class DataObjectTest : public ::testing::Test {
protected:
    void SetUp() override { SetCursorPos(123, 45); }
    ViewData data;
};

TEST_F(DataObjectTest, OneCatalogueIsItsPathWithTwoZeros) {
    ComPtr<IShellFolder> software = OpenFolder("ソフト");
    ComPtr<IDataObject> object = DataObjectFor(software.Get(), {"道具.vmf"});
    ASSERT_TRUE(object);
    HRESULT hr = E_FAIL;
    const std::string path = data.Path("ソフト\\道具.vmf");
    EXPECT_EQ(MoveBlock(object.Get(), &hr), Block(123, 45, path + std::string("\0\0", 2)));
    EXPECT_EQ(hr, S_OK);
}

TEST_F(DataObjectTest, SeveralItemsFollowTheSelectionsOrder) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDataObject> object = DataObjectFor(root.Get(), {"b.vmf", "ソフト", "a.vmf"});
    ASSERT_TRUE(object);
    const std::string list = data.Path("b.vmf") + '\0' + data.Path("ソフト") + '\0' + data.Path("a.vmf") +
                             std::string("\0\0", 2);
    EXPECT_EQ(MoveBlock(object.Get()), Block(123, 45, list));
    // Built again on each request: the cursor where it is now.
    SetCursorPos(7, 300);
    EXPECT_EQ(MoveBlock(object.Get()), Block(7, 300, list));
}

TEST_F(DataObjectTest, QueryGetDataAnswersInItsOrder) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDataObject> object = DataObjectFor(root.Get(), {"a.vmf"});
    ASSERT_TRUE(object);
    struct Case {
        CLIPFORMAT format;
        LONG index;
        DWORD aspect;
        DWORD media;
        HRESULT expected;
    };
    const CLIPFORMAT move = static_cast<CLIPFORMAT>(ProcessObjects::FileMoveFormat());
    const Case cases[] = {
        {move, -1, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
        {move, -1, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
        {CF_HDROP, -1, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_HDROP, 0, DVASPECT_ICON, TYMED_ISTREAM, DV_E_FORMATETC},
        {move, 0, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_LINDEX},
        {move, 0, DVASPECT_ICON, TYMED_ISTREAM, DV_E_LINDEX},
        {move, -1, DVASPECT_ICON, TYMED_HGLOBAL, DV_E_DVASPECT},
        {move, -1, DVASPECT_ICON, TYMED_ISTREAM, DV_E_DVASPECT},
        {move, -1, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_TYMED},
    };
    for (const Case& c : cases) {
        FORMATETC format = {c.format, nullptr, c.aspect, c.index, c.media};
        EXPECT_EQ(object->QueryGetData(&format), c.expected) << c.format << " " << c.index << " " << c.aspect;
        STGMEDIUM medium = {};
        // GetData refuses with the same error and leaves no memory.
        if (c.expected != S_OK) {
            EXPECT_EQ(object->GetData(&format, &medium), c.expected);
            EXPECT_EQ(medium.hGlobal, nullptr);
        }
    }
    EXPECT_EQ(object->QueryGetData(nullptr), S_FALSE);
    FORMATETC format = MoveFormatEtc();
    EXPECT_EQ(object->GetData(&format, nullptr), E_POINTER);
    EXPECT_EQ(object->GetData(nullptr, nullptr), E_POINTER);

    STGMEDIUM medium = {};
    EXPECT_EQ(object->GetDataHere(&format, &medium), E_NOTIMPL);
    EXPECT_EQ(object->SetData(&format, &medium, FALSE), E_NOTIMPL);
    FORMATETC canonical = {};
    canonical.ptd = reinterpret_cast<DVTARGETDEVICE*>(&canonical);
    EXPECT_EQ(object->GetCanonicalFormatEtc(&format, &canonical), E_NOTIMPL);
    EXPECT_EQ(canonical.ptd, nullptr);
    DWORD connection = 0;
    EXPECT_EQ(object->DAdvise(&format, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
    EXPECT_EQ(object->DUnadvise(1), OLE_E_ADVISENOTSUPPORTED);
    IEnumSTATDATA* advises = nullptr;
    EXPECT_EQ(object->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
}

TEST_F(DataObjectTest, TheEnumeratorHandsOutTheOneFormat) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDataObject> object = DataObjectFor(root.Get(), {"a.vmf"});
    ASSERT_TRUE(object);
    ComPtr<IEnumFORMATETC> formats;
    EXPECT_EQ(object->EnumFormatEtc(DATADIR_SET, formats.Put()), E_NOTIMPL);
    EXPECT_EQ(object->EnumFormatEtc(3, formats.Put()), E_INVALIDARG);
    ASSERT_EQ(object->EnumFormatEtc(DATADIR_GET, formats.Put()), S_OK);

    FORMATETC records[5] = {};
    ULONG fetched = 99;
    EXPECT_EQ(formats->Next(5, records, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    const FORMATETC expected = MoveFormatEtc();
    EXPECT_EQ(records[0].cfFormat, expected.cfFormat);
    EXPECT_EQ(records[0].ptd, nullptr);
    EXPECT_EQ(records[0].dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(records[0].lindex, -1);
    EXPECT_EQ(records[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(formats->Next(1, records, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(formats->Reset(), S_OK);
    // Without a fetched count only one record may be asked for.
    EXPECT_EQ(formats->Next(2, records, nullptr), E_INVALIDARG);
    EXPECT_EQ(formats->Next(1, records, nullptr), S_OK);

    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(1), S_OK);
    EXPECT_EQ(formats->Skip(1), S_FALSE);
    EXPECT_EQ(formats->Next(1, records, &fetched), S_FALSE);
    EXPECT_EQ(formats->Reset(), S_OK);
    EXPECT_EQ(formats->Skip(2), S_FALSE);
    EXPECT_EQ(formats->Next(1, records, &fetched), S_FALSE);
    ComPtr<IEnumFORMATETC> clone;
    EXPECT_EQ(formats->Clone(clone.Put()), E_NOTIMPL);
}

TEST_F(DataObjectTest, TheOleClipboardCarriesTheMoveFormat) {
    ComPtr<IShellFolder> root = OpenFolder("");
    ComPtr<IDataObject> object = DataObjectFor(root.Get(), {"ソフト", "c.vmf"});
    ASSERT_TRUE(object);
    const Bytes expected = MoveBlock(object.Get());
    ASSERT_EQ(OleSetClipboard(object.Get()), S_OK);
    ASSERT_EQ(OleFlushClipboard(), S_OK);  // the block now lives on the clipboard
    object = ComPtr<IDataObject>();
    ComPtr<IDataObject> pasted;
    ASSERT_EQ(OleGetClipboard(pasted.Put()), S_OK);
    FORMATETC format = MoveFormatEtc();
    EXPECT_EQ(pasted->QueryGetData(&format), S_OK);
    Bytes block = MoveBlock(pasted.Get());
    ASSERT_GE(block.size(), expected.size());
    EXPECT_EQ(Bytes(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
    MoveRequest request;
    ASSERT_TRUE(request.Read(pasted.Get()));
    EXPECT_EQ(request.Sources(), (Paths{data.Path("ソフト"), data.Path("c.vmf")}));
    OleSetClipboard(nullptr);
}

TEST_F(DataObjectTest, PathsThatDoNotFitFailTheDataObject) {
    ComPtr<IShellFolder> root = OpenFolder("");
    // A category name that no path of the system can hold beside the data folder.
    IdList category(ProcessObjects::ItemIds().MakeCategory(std::string(250, 'x').c_str()));
    ASSERT_TRUE(category);
    PCUITEMID_CHILD child = category.Child();
    ComPtr<IDataObject> object;
    ASSERT_EQ(root->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr, object.PutVoid()), S_OK);
    FORMATETC format = MoveFormatEtc();
    STGMEDIUM medium = {};
    EXPECT_EQ(object->GetData(&format, &medium), E_FAIL);
    EXPECT_EQ(medium.hGlobal, nullptr);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
}

TEST_F(DataObjectTest, OnlyFoldersOnDiskHandOutDragObjects) {
    ComPtr<IShellFolder> catalogue = OpenFolder("ソフト\\道具.vmf");
    HRESULT hr = S_OK;
    EXPECT_FALSE(DataObjectFor(catalogue.Get(), {"readme.txt"}, &hr));
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_FALSE(DropTargetFor(catalogue.Get(), "", &hr)) << "a catalogue is no place to drop into";
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_FALSE(DropTargetFor(catalogue.Get(), "ソフト", &hr)) << "nor a directory inside it";
    EXPECT_EQ(hr, E_NOINTERFACE);

    ComPtr<IShellFolder> root = OpenFolder("");
    EXPECT_FALSE(DropTargetFor(root.Get(), "a.vmf", &hr)) << "a catalogue is no drop target";
    EXPECT_EQ(hr, E_NOINTERFACE);
    EXPECT_TRUE(DropTargetFor(root.Get(), "音楽", &hr));
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(DropTargetFor(root.Get(), "", &hr));
    EXPECT_EQ(hr, S_OK);
}

}  // namespace
}  // namespace cataloom::test
