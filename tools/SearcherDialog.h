// The search window (dialog 607): a pattern, match case and a location in
// the namespace above a list of the items found, which a SearchTask finds on
// its worker thread.  The worker only posts; this window's thread takes the
// rows in batches, finishes the search, joins and frees the task.  Rows keep
// their identifiers and compute their texts once (SearcherRows).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComPtr.h"
#include "tools/SearchTask.h"
#include "tools/SearcherRows.h"

namespace cataloom {

class SearcherDialog {
public:
    // `location`: a namespace address whose first component stands for the
    // namespace root; empty for the root.
    explicit SearcherDialog(const char* location);
    ~SearcherDialog();
    SearcherDialog(const SearcherDialog&) = delete;
    SearcherDialog& operator=(const SearcherDialog&) = delete;

    // Runs the window modally; returns once it and its search have ended.
    void Run(HWND owner) noexcept;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Open();
    void OnCommand(int id);
    void Search();
    // The pattern or match case changed: once the index is warm, a search
    // follows at most every kLiveIntervalMs, stopping the one that runs.
    void OnPatternChanged();
    void SearchNow();
    // Resolves the location into the task's start; false leaves it empty.
    bool Resolve(const std::string& location, SearchRequest& request);
    void TakeRows();
    void ShowProgress();
    void Finish();
    void StopOrClose();
    void Browse();
    void OpenLocation();
    LRESULT OnNotify(const NMHDR& header);
    void StoreColumnWidths();
    void Layout();
    void MinimumSize(MINMAXINFO& info) const;
    void EnableControls(bool enable);
    void AddPatternHelp();
    void SetStatus(const std::string& text);
    HWND List() const;

    HWND window_ = nullptr;
    HWND status_ = nullptr;
    ComPtr<IShellFolder> root_;
    TaskMemory<ITEMIDLIST> rootList_;  // the root's absolute identifier list
    std::string dataRoot_;
    std::string location_;
    SearcherRowContext context_;
    std::vector<SearcherRow> rows_;
    SearchMailbox mailbox_;
    std::unique_ptr<SearchTask> task_;
    bool running_ = false;
    // The names index of the data folder exists: results follow typing.
    bool warm_ = false;
    // A search waits for the one that runs to stop.
    bool pending_ = false;
    ULONGLONG lastStart_ = 0;
};

}  // namespace cataloom
