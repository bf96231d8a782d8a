#include "wizard/wizard.h"

#include <commctrl.h>
#include <stddef.h>

#include "app/config.h"
#include "app/setup.h"
#include "res/resource.h"
#include "wizard/pages.h"

WNDPROC g_oldSheetProc = nullptr;

namespace {

const char kBuildNumber[] = "2.3.0.230";
const char kBuildLineFace[] = "Arial";
constexpr LONG kBuildLineFontHeight = -11;
constexpr COLORREF kBuildLineColor = RGB(140, 140, 140);
// The line sits beside the wizard buttons: in from the left edge, its baseline cell above the bottom.
constexpr int kBuildLineLeft = 12;
constexpr int kBuildLineBottomGap = 20;

// The records have the two header-text fields but nothing newer, and the header ends after the
// header-bitmap field: the sizes the sheet was built against on x86. PROPSHEETHEADERA_V2_SIZE
// itself does not compile with the mingw-w64 headers, so the size is spelt out.
constexpr UINT kSheetHeaderSize = offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP);
static_assert(sizeof(void*) != 4 || sizeof(PROPSHEETPAGEA_V2) == 48, "page record must be 48 bytes on x86");
static_assert(sizeof(void*) != 4 || kSheetHeaderSize == 52, "sheet header must be 52 bytes on x86");

struct PageEntry {
    int templateId;
    DLGPROC procedure;
};

// The wizard's page order.
const PageEntry kPages[] = {
    {IDD_WELCOME, WelcomePageProc},   {IDD_LICENSE, LicensePageProc},       {IDD_OPTIONS, OptionsPageProc},
    {IDD_PROGRESS, ProgressPageProc}, {IDD_COMPLETION, CompletionPageProc},
};
constexpr int kPageCount = sizeof(kPages) / sizeof(kPages[0]);

bool IsUnusableOwner(HWND owner) {
    const LONG style = GetWindowLongA(owner, GWL_STYLE);
    return !(style & WS_VISIBLE) || (style & WS_MINIMIZE);
}

}  // namespace

POINT ComputeCenteredPosition(const RECT& reference, const RECT& bounds, int width, int height) {
    POINT position = {(reference.left + reference.right) / 2 - width / 2,
                      (reference.top + reference.bottom) / 2 - height / 2};
    if (position.x < bounds.left)
        position.x = bounds.left;
    else if (position.x + width > bounds.right)
        position.x = bounds.right - width;
    if (position.y < bounds.top)
        position.y = bounds.top;
    else if (position.y + height > bounds.bottom)
        position.y = bounds.bottom - height;
    return position;
}

std::string BuildLineText(const std::string& productName) {
    return productName + " (Build " + kBuildNumber + ")";
}

void CenterWindow(HWND window) {
    const bool isChild = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
    HWND referenceWindow = isChild ? GetParent(window) : GetWindow(window, GW_OWNER);

    RECT own;
    GetWindowRect(window, &own);
    RECT bounds;
    RECT reference;
    if (!isChild) {
        if (referenceWindow != nullptr && IsUnusableOwner(referenceWindow))
            referenceWindow = nullptr;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &bounds, 0);
        if (referenceWindow != nullptr)
            GetWindowRect(referenceWindow, &reference);
        else
            reference = bounds;
    } else {
        HWND parent = GetParent(window);
        GetClientRect(parent, &bounds);
        GetClientRect(referenceWindow, &reference);
        MapWindowPoints(referenceWindow, parent, reinterpret_cast<POINT*>(&reference), 2);
    }

    const POINT position = ComputeCenteredPosition(reference, bounds, own.right - own.left, own.bottom - own.top);
    SetWindowPos(window, nullptr, position.x, position.y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitSheetFrame(HWND sheet) {
    CenterWindow(sheet);
    if (g_oldSheetProc != nullptr)
        return;
    g_oldSheetProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(sheet, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetWndProc)));
    // The title bar's small icon comes from the sheet header; this is the Alt+Tab one.
    HICON icon = LoadIconA(g_appInstance, MAKEINTRESOURCEA(IDI_SETUP));
    SendMessageA(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

void StretchSeparator(HWND sheet) {
    HWND separator = GetDlgItem(sheet, IDC_WIZARD_SEPARATOR);
    RECT client;
    GetClientRect(sheet, &client);
    RECT line;
    GetWindowRect(separator, &line);
    POINT topLeft = {line.left, line.top};
    ScreenToClient(sheet, &topLeft);
    MoveWindow(separator, 0, topLeft.y, client.right, line.bottom - line.top, FALSE);
}

LRESULT CALLBACK SheetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(g_oldSheetProc, window, message, wParam, lParam);
    if (message == WM_PAINT)
        PaintBuildLine(window);
    return result;
}

void PaintBuildLine(HWND sheet) {
    HDC dc = GetDC(sheet);
    RECT area;
    GetClientRect(sheet, &area);
    area.left += kBuildLineLeft;
    area.bottom -= kBuildLineBottomGap;

    LOGFONTA description = {};
    description.lfHeight = kBuildLineFontHeight;
    lstrcpynA(description.lfFaceName, kBuildLineFace, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&description);
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetTextColor(dc, kBuildLineColor);
    // The background mode stays opaque, so the text cells are filled with the button face.
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));

    const std::string text = BuildLineText(g_setupConfig.products[0].name);
    DrawTextA(dc, text.c_str(), -1, &area, DT_SINGLELINE | DT_BOTTOM);

    SelectObject(dc, previousFont);
    DeleteObject(font);
    ReleaseDC(sheet, dc);
}

void PostWizardButtons(HWND page, DWORD buttons) {
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, buttons);
}

void RunWizard() {
    g_wizardTitle += g_setupConfig.sheetCaption;

    PROPSHEETPAGEA_V2 pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        pages[i].dwSize = sizeof(PROPSHEETPAGEA_V2);
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = g_appInstance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].templateId);
        pages[i].pszTitle = g_wizardTitle.c_str();
        pages[i].pfnDlgProc = kPages[i].procedure;
    }

    PROPSHEETHEADERA header = {};
    header.dwSize = kSheetHeaderSize;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE | PSH_USEICONID;
    header.hInstance = g_appInstance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_SETUP);
    header.pszCaption = g_wizardTitle.c_str();
    header.nPages = kPageCount;
    header.nStartPage = 0;
    // The sheet steps through the records by their dwSize, so the shorter form is read correctly.
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    PropertySheetA(&header);
}
