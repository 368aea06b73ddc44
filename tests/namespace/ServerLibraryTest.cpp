// The library as the shell sees it: its exports, class objects, unload
// answer and resources, read under code page 932.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/ClassIds.h"
#include "tests/support/ServerLibrary.h"
#include "tests/support/TempTree.h"
#include "tests/support/WinTestSupport.h"

namespace cataloom::test {
namespace {

std::string LoadText(HMODULE module, UINT id) {
    char text[512] = {};
    LoadStringA(module, id, text, sizeof text);
    return text;
}

TEST(ServerLibraryTest, ServedClassesBuildTheirObjectsAndOthersAreNotAvailable) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    ASSERT_NE(library.Module(), nullptr);
    const GUID unknownClass = {0x01234567, 0x89AB, 0xCDEF, {0, 1, 2, 3, 4, 5, 6, 7}};
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(library.GetClassObject(unknownClass, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    // The search menu's factory builds the search menu.
    IClassFactory* searchFactory = nullptr;
    ASSERT_EQ(library.GetClassObject(kClsidSearchMenu, IID_IClassFactory, reinterpret_cast<void**>(&searchFactory)),
              S_OK);
    IUnknown* searchMenu = nullptr;
    EXPECT_EQ(searchFactory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&searchMenu)), S_OK);
    ASSERT_NE(searchMenu, nullptr);
    searchMenu->Release();
    searchFactory->Release();
    // The capture menu's factory builds the drive and directory menu.
    IClassFactory* menuFactory = nullptr;
    ASSERT_EQ(library.GetClassObject(kClsidCaptureMenu, IID_IClassFactory, reinterpret_cast<void**>(&menuFactory)),
              S_OK);
    IUnknown* menu = nullptr;
    EXPECT_EQ(menuFactory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&menu)), S_OK);
    ASSERT_NE(menu, nullptr);
    menu->Release();
    menuFactory->Release();
    // The folder class is served: its factory builds the top folder.
    IClassFactory* factory = nullptr;
    ASSERT_EQ(library.GetClassObject(kClsidFolder, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IUnknown* topFolder = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersistFolder, reinterpret_cast<void**>(&topFolder)), S_OK);
    ASSERT_NE(topFolder, nullptr);
    EXPECT_EQ(library.CanUnloadNow(), S_FALSE);
    topFolder->Release();
    factory->Release();
    EXPECT_EQ(library.CanUnloadNow(), S_OK);
}

TEST(ServerLibraryTest, StringTableHoldsTheJapaneseTexts) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    HMODULE module = library.Module();
    ASSERT_NE(module, nullptr);
    const struct {
        UINT id;
        const char* text;
    } texts[] = {
        {21, "ラベル"},
        {25, "取得日時"},
        {28, "ファイルの種類"},
        {30, "場所"},
        {41, "新しいカテゴリ(%d)"},
        {43, "（不明）"},
        {45, "%d個のオブジェクトを選択"},
        {74, "-"},
        {78, "Cataloom について(&A)"},
        {86, "検索(&F)..."},
        {100, "メモリが不足です。\n他のアプリケーションを終了させてから再度処理を行ってください。"},
        {102, "ファイル名が正しくありません。\n正しいファイル名であるか確認してください。"},
        {152, "指定のディレクトリを作成できませんでした。\nディレクトリ名が正しいか確認してください。"},
        {200, "Cataloom"},
        {300, "インデックスを作成しています。"},
        {301, "インデックス作成に失敗しました。"},
        {302, "ファイルを作成しています"},
        {303, "ファイルを開けませんでした。\nファイルが読取専用になっていないか確認してください。"},
        {304, "取得した情報をファイルへ書き出しています"},
        {305, "ファイルサイズをの計算しています"},
        {306, "データの取得を完了しました"},
        {307, "イメージを作成できませんでした。"},
        {308, "ディスクが表示されない場合はF5キーを押してください。"},
        {311, "vmf を更新..."},
        {321, "更新対象のvmfが見つかりません。"},
        {371, "閉じる"},
        {401, "Cataloom の設定情報も削除しますか？\r\nアップデート目的でにアンインストールを行っている場合は"
              "「いいえ」をお選びください。"},
        {402, "Virtual Media File"},
        {403, "メディア内を閲覧"},
        {404, "Cataloom(&O)..."},
        {405, "Cataloom内から検索"},
        {406, "Cataloom"},
        {506, "オフライン中のメディア内のファイル一覧を表示"},
    };
    for (const auto& t : texts) EXPECT_EQ(LoadText(module, t.id), t.text) << "string " << t.id;
}

TEST(ServerLibraryTest, IconsAreInPlaceAndTheFirstTwoAreTheRegisteredOnes) {
    TempTree folder;
    ServerLibrary library(folder.Root(), "Cataloom.dll");
    HMODULE module = library.Module();
    ASSERT_NE(module, nullptr);
    for (int id = 500; id <= 505; ++id) {
        HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 32, 32, 0);
        EXPECT_NE(icon, nullptr) << "icon " << id;
        if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
    }
    // Registration names icons by index: 0 must show 500 and 1 must show 501.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    EXPECT_EQ(ExtractIconExA(path, -1, nullptr, nullptr, 0), 6u);
    for (int index : {0, 1}) {
        HICON byIndex = nullptr;
        ASSERT_EQ(ExtractIconExA(path, index, &byIndex, nullptr, 1), 1u);
        HICON byId = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(500 + index), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
        HICON other = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(501 - index), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
        ASSERT_NE(byId, nullptr);
        EXPECT_EQ(IconPixels(byIndex), IconPixels(byId)) << "index " << index;
        EXPECT_NE(IconPixels(byIndex), IconPixels(other)) << "index " << index;
        for (HICON icon : {byIndex, byId, other}) DestroyIcon(icon);
    }
}

}  // namespace
}  // namespace cataloom::test
