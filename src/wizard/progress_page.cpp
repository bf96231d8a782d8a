// The fourth page, progress: starts the install worker and keeps the user on the page until the
// worker moves the wizard on; Cancel asks first.
#include "install/worker.h"
#include "res/resource.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/wizard.h"

namespace {

bool layoutDone = false;

void OnInitDialog(HWND page) {
    SetHeaderBitmap(page);
    // The worker lives until the process ends: nobody waits for it and nothing stops it, so its
    // handle is not kept.
    HANDLE worker = CreateThread(nullptr, 0, InstallWorker, page, 0, nullptr);
    if (worker)
        CloseHandle(worker);
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    switch (header->code) {
        case PSN_QUERYCANCEL: {
            const BOOL keepOpen = ConfirmCancel(page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, keepOpen);
            return keepOpen;
        }
        case PSN_SETACTIVE:
            ApplyPageLayout(page, layoutDone);
            PostWizardButtons(page, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

bool ConfirmCancel(HWND page) {
    std::string question;
    LoadResourceString(IDS_CONFIRM_CANCEL, question);
    return MessageBoxA(page, question.c_str(), g_setupConfig.sheetCaption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES;
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(page);
            return TRUE;
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        default:
            return DefaultPageMessage(page, message, wParam, lParam);
    }
}
