// The static colours of the page chrome, asked the way the controls of a real page template ask:
// the answer per control ID, what it sets on the device context, and the one shared title font.
#include <gtest/gtest.h>

#include "app/setup.h"
#include "res/resource.h"
#include "wizard/chrome.h"

namespace {

const COLORREF kPresetText = RGB(200, 10, 10);

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

struct ColourCase {
    int id;
    int brush;  // stock brush, or -1 for no brush (the dialog's defaults)
    bool transparent;
    bool black;
};

TEST(PageChromeColoursTest, AnswersPerControlOfTheOptionsTemplate) {
    HWND page = CreateDialogParamA(g_appInstance, MAKEINTRESOURCEA(IDD_OPTIONS), nullptr, PlainDialogProc, 0);
    ASSERT_NE(page, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    const HGDIOBJ defaultFont = GetCurrentObject(dc, OBJ_FONT);
    const ColourCase cases[] = {
        {IDC_TITLE, NULL_BRUSH, false, true},
        {IDC_MORE_INFO_LINK, WHITE_BRUSH, false, false},
        {IDC_PRODUCT_PANEL, WHITE_BRUSH, false, false},
        {IDC_PRODUCT_DESCRIPTION, NULL_BRUSH, true, false},
        {-1, NULL_BRUSH, true, false},
        {IDC_PRODUCT_SLOGAN, -1, false, false},
        {IDC_HEADER_BITMAP, -1, false, false},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        HWND control = GetDlgItem(page, c.id);
        ASSERT_NE(control, nullptr);
        SetTextColor(dc, kPresetText);
        SetBkMode(dc, OPAQUE);
        SelectObject(dc, defaultFont);
        const HBRUSH brush = OnCtlColorStatic(dc, control);
        EXPECT_EQ(brush, c.brush < 0 ? nullptr : static_cast<HBRUSH>(GetStockObject(c.brush)));
        EXPECT_EQ(GetBkMode(dc), c.transparent ? TRANSPARENT : OPAQUE);
        EXPECT_EQ(GetTextColor(dc), c.black ? RGB(0, 0, 0) : kPresetText);
        if (c.id == IDC_TITLE) {
            ASSERT_NE(g_titleFont, nullptr);
            EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), g_titleFont);
        } else {
            EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), defaultFont);
        }
    }
    DeleteDC(dc);

    // One bold Tahoma title font, sized from the DPI, shared by every later title.
    LOGFONTA title = {};
    GetObjectA(g_titleFont, sizeof(title), &title);
    EXPECT_EQ(title.lfHeight, TitleFontHeight(GetDeviceCaps(screen, LOGPIXELSY)));
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_STREQ(title.lfFaceName, "Tahoma");
    const HFONT first = g_titleFont;
    HDC another = GetDC(page);
    OnCtlColorStatic(another, GetDlgItem(page, IDC_TITLE));
    EXPECT_EQ(g_titleFont, first);
    ReleaseDC(page, another);
    ReleaseDC(nullptr, screen);
    DestroyWindow(page);
}

}  // namespace
