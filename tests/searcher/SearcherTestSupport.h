// Helpers for the search window tests: a data folder of known catalogues,
// the window run on the test's thread with a helper thread that drives it,
// and readers of its rows and status.  They need a display: run under Xvfb.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempTree.h"

namespace cataloom::test {

constexpr char kSearcherCaption[] = "Cataloom Searcher";
constexpr int kPatternBox = 1700;
constexpr int kMatchCaseBox = 1701;
constexpr int kLocationBox = 1702;
constexpr int kBrowseButton = 1703;
constexpr int kResultList = 1705;
constexpr int kStatusBar = 1706;

// The capture time of the catalogues and the write time of their files.
constexpr std::uint64_t kCaptureTime = 0x01D9000000000000ULL;
constexpr std::uint64_t kWriteTime = 0x01D0000000000002ULL;

// A data folder (DataRoot points at it for the object's life):
//   ソフト\                  category
//     ソフト.vmf            "ソフト集", CD-ROM: ドキュメント\readme.txt (2500 bytes),
//                           xABCy.txt (1), Abc.txt (1000), big.bin (1001),
//                           zero.dat (0 bytes, no time), 表 (5), a (3)
//   書類\                    empty category
//   top.vmf                 "トップ", removable: abc.log (10)
//   c.txt                   neither category nor catalogue
class SearchData {
public:
    // `dataRootSuffix` is appended to the folder's path in DataRoot.
    explicit SearchData(const std::string& dataRootSuffix = "");
    ~SearchData();
    std::string Path(const std::string& relative = "") const { return tree_.Path(relative); }
    const TempTree& Tree() const { return tree_; }

private:
    TempTree tree_;
};

struct SearchRow {
    std::array<std::string, 5> texts;  // name, location, size, type, modified
    int image = -1;
};

// Runs the window over `location` on this thread; `act` drives it from a
// helper thread and the window is closed afterwards (Close when idle).
void RunSearcher(const std::string& location, const std::function<void(HWND)>& act, HWND owner = nullptr);

std::string StatusText(HWND dialog);
// "<count> 個のアイテムが見つかりました"
std::string FoundText(int count);
// Types the pattern, sets match case and presses Search (the status is
// cleared first and the press is sent, so WaitForEnd sees this search's
// end, not that of a search the typing started).
void StartSearch(HWND dialog, const std::string& pattern, bool matchCase = false);
// The same, then waits for the end and reads the rows.
std::vector<SearchRow> SearchFor(HWND dialog, const std::string& pattern, bool matchCase = false);
// Waits until the status shows the count of a finished search.
bool WaitForEnd(HWND dialog, DWORD timeoutMs = 30000);
// Waits until `predicate` holds, polling.
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs = 10000);
std::vector<SearchRow> ListedRows(HWND dialog);
std::vector<std::string> Names(const std::vector<SearchRow>& rows);  // sorted
const SearchRow* FindRow(const std::vector<SearchRow>& rows, const std::string& name);
// "YYYY/MM/DD hh:mm" in local time, as the system converts it.
std::string LocalListTime(std::uint64_t fileTime);

}  // namespace cataloom::test
