#include "wizard/chrome.h"

#include "app/config.h"
#include "res/resource.h"

HFONT g_titleFont = nullptr;

namespace {

constexpr int kHeaderMargin = 12;
// The band's outline runs on this row's predecessor: rows above it are white, the row itself black.
constexpr int kHeaderBandBottom = 59;
// The outline's left, top and right sides are pushed out of the client area, so only its bottom shows.
constexpr int kBandOverhang = 5;
constexpr double kTitlePoints = 11.5;
constexpr int kPointsPerInch = 72;
const char kTitleFace[] = "Tahoma";
// Labels without an ID of their own; a word-sized template ID may come back unsigned.
constexpr int kStaticId = -1;
constexpr int kStaticWordId = 0xFFFF;

bool IsHeaderControl(int id) {
    return id == IDC_TITLE || id == IDC_HEADER_ICON || id == IDC_HEADER_BITMAP;
}

void MoveKeepingSize(HWND control, int x, int y) {
    RECT size;
    GetClientRect(control, &size);
    MoveWindow(control, x, y, size.right, size.bottom, FALSE);
}

HFONT CreateTitleFont(HDC dc) {
    LOGFONTA description = {};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(description), &description);
    description.lfHeight = TitleFontHeight(GetDeviceCaps(dc, LOGPIXELSY));
    description.lfWidth = 0;
    description.lfWeight = FW_BOLD;
    lstrcpynA(description.lfFaceName, kTitleFace, LF_FACESIZE);
    return CreateFontIndirectA(&description);
}

void SelectTitleFont(HDC dc, HWND title) {
    SetTextColor(dc, RGB(0, 0, 0));
    if (g_titleFont == nullptr)
        g_titleFont = CreateTitleFont(dc);
    if (g_titleFont == nullptr)
        return;
    SelectObject(dc, g_titleFont);
    // The static control of common controls 6 (Wine's) asks for its colours first and selects its
    // own font afterwards, which would undo the selection; as the control's own font the title
    // font survives that order too.
    if (reinterpret_cast<HFONT>(SendMessageA(title, WM_GETFONT, 0, 0)) != g_titleFont)
        SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(g_titleFont), FALSE);
}

HBRUSH StockBrush(int brush) {
    return static_cast<HBRUSH>(GetStockObject(brush));
}

}  // namespace

int TitleFontHeight(int dpi) {
    // Rounded through single precision on purpose: the title sizes were fixed with that arithmetic.
    const float size = static_cast<float>(dpi * kTitlePoints / kPointsPerInch);
    return -static_cast<int>(size);
}

int HeaderOffset(int bannerHeight) {
    return bannerHeight + 2 * kHeaderMargin;
}

int HeaderShift(int headerOffset) {
    return headerOffset / 2;
}

void SetHeaderBitmap(HWND page) {
    SendDlgItemMessageA(page, IDC_HEADER_BITMAP, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(g_setupConfig.products[0].sloganBitmap));
    ShowWindow(GetDlgItem(page, IDC_HEADER_ICON), SW_HIDE);
}

void ApplyPageLayout(HWND page, bool& layoutDone) {
    FitPageToSheet(page);
    if (layoutDone)
        return;
    const int headerOffset = LayoutHeader(page);
    EnumChildWindows(page, OffsetChildProc, headerOffset);
    layoutDone = true;
}

void FitPageToSheet(HWND page) {
    RECT pageArea;
    GetClientRect(page, &pageArea);
    RECT sheetArea;
    GetClientRect(GetParent(page), &sheetArea);
    const int growth = sheetArea.right - pageArea.right;
    MoveWindow(page, 0, 0, sheetArea.right, pageArea.bottom + growth, FALSE);
}

int LayoutHeader(HWND page) {
    RECT sheetArea;
    GetClientRect(GetParent(page), &sheetArea);
    MoveKeepingSize(GetDlgItem(page, IDC_TITLE), kHeaderMargin, kHeaderMargin);

    HWND banner = GetDlgItem(page, IDC_HEADER_BITMAP);
    RECT bannerSize;
    GetClientRect(banner, &bannerSize);
    MoveKeepingSize(banner, sheetArea.right - bannerSize.right, kHeaderMargin);
    return HeaderOffset(bannerSize.bottom);
}

BOOL CALLBACK OffsetChildProc(HWND child, LPARAM headerOffset) {
    if (IsHeaderControl(GetWindowLongA(child, GWL_ID)))
        return TRUE;
    RECT place;
    GetWindowRect(child, &place);
    RECT parent;
    GetWindowRect(GetParent(child), &parent);
    const int x = place.left - parent.left + kHeaderMargin;
    const int y = place.top - parent.top + HeaderShift(static_cast<int>(headerOffset));
    MoveWindow(child, x, y, place.right - place.left, place.bottom - place.top, FALSE);
    return TRUE;
}

void PaintHeaderBand(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    RECT band;
    GetClientRect(page, &band);
    band.bottom = kHeaderBandBottom;
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    HGDIOBJ previous = SelectObject(dc, white);
    // The default pen draws the outline; only its bottom side falls inside the page.
    Rectangle(dc, band.left - kBandOverhang, band.top - kBandOverhang, band.right + kBandOverhang, band.bottom);
    SelectObject(dc, previous);
    DeleteObject(white);
    EndPaint(page, &paint);
}

HBRUSH OnCtlColorStatic(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    switch (id) {
        case IDC_TITLE:
            SelectTitleFont(dc, control);
            return StockBrush(NULL_BRUSH);
        case IDC_MORE_INFO_LINK:
        case IDC_PRODUCT_PANEL:
            return StockBrush(WHITE_BRUSH);
        case IDC_PRODUCT_DESCRIPTION:
        case kStaticId:
        case kStaticWordId:
            SetBkMode(dc, TRANSPARENT);
            return StockBrush(NULL_BRUSH);
        default:
            return nullptr;
    }
}

INT_PTR DefaultPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            PaintHeaderBand(page);
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<INT_PTR>(
                OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        default:
            return FALSE;
    }
}
