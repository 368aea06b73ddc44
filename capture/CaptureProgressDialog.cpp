#include "capture/CaptureProgressDialog.h"

#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {
namespace {

constexpr UINT kTextsMessage = WM_APP + 1;     // the slot holds new texts
constexpr UINT kFinishedMessage = WM_APP + 2;  // the job has ended
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 1000;
constexpr DWORD kPumpIntervalMs = 20;

// Waits for the job's thread while answering the messages other threads
// send to this one, so a sender never waits on this wait.
void WaitWhilePumping(WorkerThread& job) {
    while (!job.WaitFor(kPumpIntervalMs)) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

bool CaptureProgressDialog::Run(HWND owner, WorkerThread& job) noexcept {
    job_ = &job;
    DialogBoxParamA(ProcessObjects::Instance(), MAKEINTRESOURCEA(IDD_CAPTURE_PROGRESS), owner, Procedure,
                    reinterpret_cast<LPARAM>(this));
    // The window can end while the job still runs (its owner was destroyed):
    // the job must not outlive what it reports to.
    if (job.IsRunning()) job.RequestStop();
    WaitWhilePumping(job);
    job_ = nullptr;
    return Succeeded();
}

void CaptureProgressDialog::SetPhase(const char* text) {
    std::lock_guard<std::mutex> guard(lock_);
    text::CopyTruncated(phase_, sizeof phase_, text);
    PostTexts();
}

void CaptureProgressDialog::SetDetail(const char* text) {
    std::lock_guard<std::mutex> guard(lock_);
    text::CopyTruncated(detail_, sizeof detail_, text);
    PostTexts();
}

void CaptureProgressDialog::Finished(bool success) {
    std::lock_guard<std::mutex> guard(lock_);
    finished_ = true;
    success_ = success;
    if (window_ != nullptr) PostMessageA(window_, kFinishedMessage, 0, 0);
}

void CaptureProgressDialog::PostTexts() {
    if (window_ != nullptr && !textsPosted_) textsPosted_ = PostMessageA(window_, kTextsMessage, 0, 0) != FALSE;
}

bool CaptureProgressDialog::Succeeded() {
    std::lock_guard<std::mutex> guard(lock_);
    return finished_ && success_;
}

INT_PTR CALLBACK CaptureProgressDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<CaptureProgressDialog*>(lParam)->Open(window);
        return TRUE;
    }
    auto* self = reinterpret_cast<CaptureProgressDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
    case kTextsMessage:
        self->ShowTexts(window);
        return TRUE;
    case kFinishedMessage:
        self->OnFinished(window);
        return TRUE;
    case WM_TIMER:
        if (wParam != kCloseTimer) return FALSE;
        KillTimer(window, kCloseTimer);
        EndDialog(window, 1);
        return TRUE;
    case WM_COMMAND:
        // The button, the Escape key and the window's close box.
        if (LOWORD(wParam) != IDCANCEL) return FALSE;
        self->OnButton(window);
        return TRUE;
    case WM_DESTROY:
        self->Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

void CaptureProgressDialog::Open(HWND window) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        window_ = window;
    }
    char caption[64];
    LoadResourceText(IDS_STOP_BUTTON, caption, sizeof caption);
    SetDlgItemTextA(window, IDCANCEL, caption);
    running_ = job_->Start();
    if (!running_) ShowLibraryMessage(window, IDS_CANNOT_START, MB_OK | MB_ICONERROR);
}

void CaptureProgressDialog::ShowTexts(HWND window) {
    char phase[sizeof phase_];
    char detail[sizeof detail_];
    {
        std::lock_guard<std::mutex> guard(lock_);
        text::CopyTruncated(phase, sizeof phase, phase_);
        text::CopyTruncated(detail, sizeof detail, detail_);
        textsPosted_ = false;
    }
    SetDlgItemTextA(window, IDC_CAPTURE_PHASE, phase);
    SetDlgItemTextA(window, IDC_CAPTURE_DETAIL, detail);
}

void CaptureProgressDialog::OnFinished(HWND window) {
    ShowTexts(window);
    job_->Wait();  // the worker has reported its end and is leaving
    running_ = false;
    char caption[64];
    LoadResourceText(IDS_CLOSE_BUTTON, caption, sizeof caption);
    SetDlgItemTextA(window, IDCANCEL, caption);
    if (closeOnFinish_ && Succeeded()) {
        EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
        SetTimer(window, kCloseTimer, kCloseDelayMs, nullptr);
    }
}

void CaptureProgressDialog::OnButton(HWND window) {
    // While the job runs the button stops it; the window stays until the
    // job has ended and the button is pressed again.
    if (running_ && job_->IsRunning()) {
        job_->RequestStop();
        return;
    }
    EndDialog(window, Succeeded() ? 1 : 2);
}

void CaptureProgressDialog::Detach() {
    std::lock_guard<std::mutex> guard(lock_);
    window_ = nullptr;
}

}  // namespace cataloom
