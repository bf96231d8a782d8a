// The first page: greeting, the link to the product's page at the store that sold this copy, and
// "Buy Now". Being created first, it also sets up the sheet itself.
#include <stdarg.h>
#include <stdio.h>

#include "controls/hyperlink.h"
#include "res/resource.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/wizard.h"

namespace {

// Made at the procedure's first call and kept for the life of the process.
CHyperLink* storeLink = nullptr;
bool layoutDone = false;

const CProductInfo& MainProduct() {
    return g_setupConfig.products[0];
}

void SetProductItemText(HWND page, int controlId, UINT stringId) {
    char format[kTextBufferSize];
    if (LoadStringA(g_appInstance, stringId, format, sizeof(format)) <= 0)
        format[0] = '\0';
    char text[kTextBufferSize];
    FormatText(text, format, MainProduct().name.c_str());
    SetDlgItemTextA(page, controlId, text);
}

void SetStoreLinkText(HWND page) {
    char format[kTextBufferSize];
    if (LoadStringA(g_appInstance, IDS_INFO_LINK, format, sizeof(format)) <= 0)
        format[0] = '\0';
    char text[kTextBufferSize];
    FormatText(text, format, MainProduct().name.c_str(), kDistributorNames[g_setupConfig.distributor]);
    SetDlgItemTextA(page, IDC_STORE_LINK, text);
}

INT_PTR OnInitDialog(HWND page) {
    HWND sheet = GetParent(page);
    InitSheetFrame(sheet);
    SetHeaderBitmap(page);
    SetProductItemText(page, IDC_WELCOME_HEADLINE, IDS_WELCOME_TITLE);
    SetProductItemText(page, IDC_WELCOME_TEXT, IDS_WELCOME_TEXT);
    SetStoreLinkText(page);
    storeLink->AttachDialogItem(page, IDC_STORE_LINK, MainProduct().infoUrls[g_setupConfig.distributor].c_str());
    StretchSeparator(sheet);
    return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        ApplyPageLayout(page, layoutDone);
        PostWizardButtons(page, PSWIZB_NEXT);
    }
    return 0;
}

INT_PTR OnCommand(WPARAM wParam) {
    if (LOWORD(wParam) != IDC_BUY_NOW)
        return 0;
    ShellOpenUrl(PurchasePageUrl(MainProduct(), g_setupConfig.distributor).c_str());
    return TRUE;
}

}  // namespace

int FormatText(char (&buffer)[kTextBufferSize], const char* format, ...) {
    va_list values;
    va_start(values, format);
    // The system's own formatter: the standard name would bring the C99 one, with floating point,
    // into the exe. It leaves a text that fills the buffer unterminated and then answers -1.
    const int length = _vsnprintf(buffer, kTextBufferSize - 1, format, values);
    va_end(values);
    buffer[kTextBufferSize - 1] = '\0';
    return length < 0 ? kTextBufferSize - 1 : length;
}

const std::string& PurchasePageUrl(const CProductInfo& product, DistributorId distributor) {
    return distributor == DIST_DIRECT ? product.purchaseUrl : product.infoUrls[distributor];
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (storeLink == nullptr)
        storeLink = new CHyperLink;
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(page);
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            return OnCommand(wParam);
        default:
            return DefaultPageMessage(page, message, wParam, lParam);
    }
}
