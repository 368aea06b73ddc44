// The view's sort parameter after column clicks, and how it reads the
// folder's CompareIDs answers.
#include <windows.h>

#include <gtest/gtest.h>

#include "view/SortKey.h"

namespace cataloom {
namespace {

TEST(SortKeyTest, ANewViewSortsByItsFirstColumnAndClicksToggleTheDirection) {
    EXPECT_EQ(SortKey::Initial(Listing::kMedia).Parameter(), 0x00000001);
    EXPECT_EQ(SortKey::Initial(Listing::kEntry).Parameter(), 0x00000010);

    // The first click on the initial column keeps the ascending order.
    SortKey key = SortKey::Initial(Listing::kMedia).Clicked(kColumnLabel);
    EXPECT_EQ(key.Parameter(), 0x00010001);
    key = key.Clicked(kColumnLabel);
    EXPECT_EQ(key.Parameter(), 0x00020001);
    key = key.Clicked(kColumnLabel);
    EXPECT_EQ(key.Parameter(), 0x00010001);
    // Another column starts ascending, whatever the direction was.
    key = key.Clicked(kColumnLabel).Clicked(kColumnCaptured);
    EXPECT_EQ(key.Parameter(), 0x00010005);
    EXPECT_EQ(SortKey::Initial(Listing::kEntry).Clicked(kColumnModified).Clicked(kColumnModified).Parameter(),
              0x00020040);
}

TEST(SortKeyTest, AFailedComparisonOrdersAsEqual) {
    EXPECT_EQ(OrderOf(-1), -1);
    EXPECT_EQ(OrderOf(0), 0);
    EXPECT_EQ(OrderOf(1), 1);
    // The shell's form: the order in the code field of a success result.
    EXPECT_EQ(OrderOf(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFF)), -1);
    EXPECT_EQ(OrderOf(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 7)), 1);
    // Read as signed integers these would all mean "before".
    EXPECT_EQ(OrderOf(E_INVALIDARG), 0);
    EXPECT_EQ(OrderOf(E_FAIL), 0);
    EXPECT_EQ(OrderOf(E_OUTOFMEMORY), 0);
}

}  // namespace
}  // namespace cataloom
