// The three-page wizard: choose register or unregister, work, done.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "setup/ServerRunner.h"
#include "setup/SetupInfo.h"

namespace cataloom {

class SetupWizard {
public:
    SetupWizard(HINSTANCE instance, const SetupInfo& info);

    // Shows the wizard until the user finishes or cancels it.
    void Run();
    // True when some library failed to register or unregister.
    bool HadFailures() const { return !failed_.empty(); }
    // Sets the wizard's title: the product name and " のセットアップ".
    void SetTitle(HWND sheet) const;

private:
    static INT_PTR CALLBACK ChoosePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK WorkingPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DonePage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

    void InitChoosePage(HWND page) const;
    // False when the user did not confirm an unregistration.
    bool TakeChoice(HWND page);
    void InitDonePage(HWND page) const;

    // The product name followed by the text `id`.
    std::string CaptionText(UINT id) const;
    std::string Text(UINT id) const;

    HINSTANCE instance_;
    const SetupInfo& info_;
    std::string caption_;
    SetupMode mode_ = SetupMode::kRegister;
    std::vector<std::string> failed_;
};

}  // namespace cataloom
