// The last page, completion: what was installed and what failed, the maker's site, and Finish as
// the only button.
#include <string>

#include "controls/hyperlink.h"
#include "res/resource.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/summary.h"
#include "wizard/wizard.h"

namespace {

const char kMakerHomePage[] = "http://www.quorvex.com/";

CHyperLink* websiteLink = nullptr;
bool layoutDone = false;

// The worker's press of Next, its last action, brings the wizard here: every row's outcome is
// final by now, so the summary is built once.
void OnInitDialog(HWND page) {
    SetHeaderBitmap(page);
    websiteLink->AttachDialogItem(page, IDC_WEBSITE_LINK, kMakerHomePage);
    SetDlgItemTextA(page, IDC_SUMMARY, BuildInstallSummary(g_setupConfig).c_str());
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        ApplyPageLayout(page, layoutDone);
        std::string finish;
        LoadResourceString(IDS_FINISH, finish);
        HWND sheet = GetParent(page);
        SendMessageA(sheet, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(finish.c_str()));
        ShowWindow(GetDlgItem(sheet, IDCANCEL), SW_HIDE);
    }
    return 0;
}

}  // namespace

INT_PTR CALLBACK CompletionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!websiteLink)
        websiteLink = new CHyperLink;
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
