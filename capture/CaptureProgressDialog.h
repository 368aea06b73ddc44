// The progress window of a capture (dialog 606): shows the job's phase and
// detail lines, stops the job on its button or Escape, and with
// close-on-finish ends itself one second after a successful end.
//
// The job reports to this object (its CaptureSink) from the worker thread.
// The worker only posts: the texts wait in a guarded slot, and this window's
// thread sets them, ends the window and joins the worker.  (A worker that
// sent messages or ended the dialog itself would deadlock against a join on
// this thread, or leave the window open until some later message.)
#pragma once

#include <windows.h>

#include <mutex>

#include "core/CaptureSink.h"
#include "core/PathUtil.h"
#include "core/WorkerThread.h"

namespace cataloom {

class CaptureProgressDialog final : public CaptureSink {
public:
    explicit CaptureProgressDialog(bool closeOnFinish) noexcept : closeOnFinish_(closeOnFinish) {}

    // Runs the window modally over `job`, which reports to this object, and
    // returns once the window and the job's thread have ended.  True when
    // the job succeeded, however the window was closed.
    bool Run(HWND owner, WorkerThread& job) noexcept;

    // CaptureSink, called on the worker thread.
    void SetPhase(const char* text) override;
    void SetDetail(const char* text) override;
    void Finished(bool success) override;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Open(HWND window);
    void ShowTexts(HWND window);
    void OnFinished(HWND window);
    void OnButton(HWND window);
    void Detach();
    // Under the lock: asks the window to show the texts, once per batch.
    void PostTexts();
    bool Succeeded();

    const bool closeOnFinish_;
    WorkerThread* job_ = nullptr;
    bool running_ = false;  // this thread's view: started and not yet seen finishing

    // Shared with the worker, under `lock_`.
    std::mutex lock_;
    HWND window_ = nullptr;
    char phase_[2 * kMaxPath] = {};
    char detail_[2 * kMaxPath] = {};
    bool textsPosted_ = false;
    bool finished_ = false;
    bool success_ = false;
};

}  // namespace cataloom
