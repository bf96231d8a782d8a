// The second page: the licence agreement and the accept/decline pair. Next is enabled only while
// the agreement is accepted; the box is an ordinary edit box, so every change is undone by
// putting the agreement back.
#include <string>

#include "res/resource.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/wizard.h"

namespace {

const char kLicenseType[] = "LIC_TEXT";

bool layoutDone = false;

// The acceptance lives in the radio buttons alone; read it from there each time.
void PostLicenseButtons(HWND page) {
    const bool declined = IsDlgButtonChecked(page, IDC_DECLINE) != BST_UNCHECKED;
    PostWizardButtons(page, declined ? PSWIZB_BACK : PSWIZB_BACK | PSWIZB_NEXT);
}

// The resource has no terminator: exactly its size is copied, never more.
bool LoadAgreement(HWND page) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_LICENSE), kLicenseType);
    if (resource == nullptr)
        return false;
    const DWORD size = SizeofResource(nullptr, resource);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
    if (bytes == nullptr)
        return false;
    const std::string agreement(bytes, size);
    SetWindowTextA(GetDlgItem(page, IDC_LICENSE_TEXT), agreement.c_str());
    return true;
}

INT_PTR OnInitDialog(HWND page) {
    SetHeaderBitmap(page);
    if (!LoadAgreement(page))
        return -1;
    CheckDlgButton(page, IDC_DECLINE, BST_CHECKED);
    return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        ApplyPageLayout(page, layoutDone);
        PostLicenseButtons(page);
    }
    return 0;
}

INT_PTR OnCommand(HWND page, WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case IDC_LICENSE_TEXT:
            // Setting the text of a multi-line box raises no EN_UPDATE, so this does not recur.
            if (HIWORD(wParam) == EN_UPDATE)
                LoadAgreement(page);
            return 0;
        case IDC_ACCEPT:
        case IDC_DECLINE:
            // Auto radio buttons have already switched when they report the click.
            PostLicenseButtons(page);
            return TRUE;
        default:
            return 0;
    }
}

}  // namespace

INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            return OnCommand(page, wParam);
        default:
            return DefaultPageMessage(page, message, wParam, lParam);
    }
}
