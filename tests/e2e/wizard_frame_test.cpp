// The wizard frame and the page chrome, on the real sheet: where the sheet opens, its caption on
// every page, the separator, the build line, the header band and the one-time layout of each page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

const char kCaption[] = "Quorvex Orvella - Setup";
const COLORREF kBuildLineGrey = RGB(140, 140, 140);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
constexpr int kBannerWidth = 190;
constexpr int kBannerHeight = 40;
constexpr int kMargin = 12;
constexpr int kShiftDown = 32;

int Width(const RECT& rect) {
    return rect.right - rect.left;
}

int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

// The build line's pixels: grey text cells on the button face, left-aligned 12 pixels in, their
// bottom 20 pixels above the bottom of the sheet's client area.
struct BuildLinePixels {
    int grey = 0;
    int other = 0;  // neither the grey, the button face nor a blend between them
    int left = INT_MAX;
    int bottom = -1;
};

BuildLinePixels ReadBuildLine(HWND sheet) {
    const driver::CClientCapture screen(sheet);
    const int bottom = screen.Height();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    BuildLinePixels found;
    for (int y = bottom - 40; y < bottom - 12; ++y) {
        for (int x = 0; x < 260; ++x) {
            const COLORREF colour = screen.Pixel(x, y);
            if (colour == face)
                continue;
            const int r = GetRValue(colour);
            const bool blend = r == GetGValue(colour) && r == GetBValue(colour) && r >= 140 && r <= GetRValue(face);
            if (!blend) {
                ++found.other;
                continue;
            }
            if (colour == kBuildLineGrey)
                ++found.grey;
            found.left = std::min(found.left, x);
            found.bottom = std::max(found.bottom, y);
        }
    }
    return found;
}

TEST(WizardFrameTest, OpensCentredOnTheWorkArea) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    RECT sheet;
    GetWindowRect(session.Sheet(), &sheet);
    const int width = Width(sheet);
    const int height = Height(sheet);
    ASSERT_LE(width, Width(work)) << "the clamps are covered by the unit tables; here the sheet must fit";
    ASSERT_LE(height, Height(work));
    EXPECT_EQ(sheet.left, (work.left + work.right) / 2 - width / 2);
    EXPECT_EQ(sheet.top, (work.top + work.bottom) / 2 - height / 2);
}

TEST(WizardFrameTest, CaptionIsTheSameOnEveryPage) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    for (int index = 0; index < 5; ++index) {
        SCOPED_TRACE("page " + std::to_string(index));
        HWND page = session.Page();
        EXPECT_EQ(driver::WindowText(session.Sheet()), kCaption);
        if (index == 4)
            break;
        if (index == 1)
            driver::ClickButton(session.Item(IDC_ACCEPT));
        // The progress page moves on by itself once its install is done. Pressing Next there as
        // well would race the worker's own press, which would then finish the wizard.
        if (index != 3)
            PostMessageA(session.Sheet(), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        ASSERT_TRUE(driver::WaitUntil([&] { return session.Page() != page; }));
    }
}

TEST(WizardFrameTest, SeparatorSpansTheSheet) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    RECT client;
    GetClientRect(session.Sheet(), &client);
    HWND separator = session.SheetItem(IDC_WIZARD_SEPARATOR);
    ASSERT_NE(separator, nullptr);
    const RECT line = driver::RectInClient(separator, session.Sheet());
    EXPECT_EQ(line.left, 0);
    EXPECT_EQ(line.right, client.right);
    EXPECT_LT(line.bottom, driver::RectInClient(session.SheetItem(driver::kNextButton), session.Sheet()).top);
}

TEST(WizardFrameTest, BuildLineIsPaintedAgainAfterBeingCoveredAndRepainted) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    HWND sheet = session.Sheet();
    RECT client;
    GetClientRect(sheet, &client);

    auto expectBuildLine = [&](const char* moment) {
        SCOPED_TRACE(moment);
        BuildLinePixels line;
        EXPECT_TRUE(driver::WaitUntil([&] {
            line = ReadBuildLine(sheet);
            return line.grey > 20;
        }));
        EXPECT_EQ(line.other, 0) << "only grey text on the button face";
        EXPECT_GE(line.left, 12);
        EXPECT_LE(line.left, 14);
        EXPECT_LT(line.bottom, client.bottom - 20);
        EXPECT_GE(line.bottom, client.bottom - 24);
    };
    expectBuildLine("at opening");

    // A window of this process over the whole sheet, then gone again.
    RECT place;
    GetWindowRect(sheet, &place);
    HWND cover =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                        place.left, place.top, Width(place), Height(place), nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(cover, nullptr);
    UpdateWindow(cover);
    EXPECT_TRUE(driver::WaitUntil([&] { return ReadBuildLine(sheet).grey == 0; })) << "the cover did not show";
    DestroyWindow(cover);
    expectBuildLine("after being covered");

    // A full repaint erases the client area first, so the line must come from the repaint itself.
    RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    expectBuildLine("after a repaint");
}

// Template positions of the controls below the header, in dialog units, from the pages' tables.
struct TemplateControl {
    int id;
    int x, y, width, height;
    bool sizedByContent;  // bitmap statics take their bitmap's size
};

const std::map<int, std::vector<TemplateControl>> kTemplates = {
    {IDD_WELCOME,
     {{IDC_WELCOME_TEXT, 0, 84, 339, 68, false},
      {IDC_WELCOME_HEADLINE, 0, 25, 305, 9, false},
      {IDC_STORE_LINK, 0, 38, 251, 13, false},
      {IDC_BUY_NOW, 8, 55, 50, 14, false}}},
    {IDD_LICENSE,
     {{IDC_ACCEPT, 1, 127, 152, 10, false},
      {IDC_DECLINE, 1, 137, 177, 10, false},
      {IDC_LICENSE_TEXT, 0, 37, 339, 84, false},
      {-1, 0, 25, 198, 8, false}}},
    {IDD_OPTIONS,
     {{IDC_PRODUCT_PANEL, 97, 37, 242, 89, false},
      {IDC_PRODUCT_ICON, 105, 39, 15, 13, true},
      {IDC_PRODUCT_DESCRIPTION, 105, 78, 226, 33, false},
      {IDC_PRODUCT_LIST, 0, 37, 96, 89, false},
      {IDC_PRODUCT_SLOGAN, 152, 47, 15, 13, true},
      {IDC_MORE_INFO_LINK, 105, 112, 101, 8, false}}},
};

using Places = std::map<HWND, std::array<LONG, 4>>;

Places ChildPlaces(HWND page) {
    Places places;
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = driver::RectInClient(child, page);
        places[child] = {place.left, place.top, place.right, place.bottom};
    }
    return places;
}

// At the page's first activation: every control below the header moved by exactly (12, 32) from its
// template place, the title at (12, 12), the banner flush right at the top, 190 by 40.
void ExpectFirstLayout(HWND sheet, HWND page, int templateId) {
    SCOPED_TRACE("template " + std::to_string(templateId));
    driver::CTemplateUnits units(templateId);
    for (const TemplateControl& control : kTemplates.at(templateId)) {
        SCOPED_TRACE("control " + std::to_string(control.id));
        HWND window = GetDlgItem(page, control.id);
        ASSERT_NE(window, nullptr);
        const RECT expected = units.ToPixels(control.x, control.y, control.width, control.height);
        const RECT actual = driver::RectInClient(window, page);
        EXPECT_EQ(actual.left, expected.left + kMargin);
        EXPECT_EQ(actual.top, expected.top + kShiftDown);
        if (!control.sizedByContent) {
            EXPECT_EQ(Width(actual), Width(expected));
            EXPECT_EQ(Height(actual), Height(expected));
        }
    }
    RECT sheetClient;
    GetClientRect(sheet, &sheetClient);
    const RECT title = driver::RectInClient(GetDlgItem(page, IDC_TITLE), page);
    EXPECT_EQ(title.left, kMargin);
    EXPECT_EQ(title.top, kMargin);
    const RECT banner = driver::RectInClient(GetDlgItem(page, IDC_HEADER_BITMAP), page);
    EXPECT_EQ(banner.left, sheetClient.right - kBannerWidth);
    EXPECT_EQ(banner.top, kMargin);
    EXPECT_EQ(Width(banner), kBannerWidth);
    EXPECT_EQ(Height(banner), kBannerHeight);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_HEADER_ICON)));
    // The page covers the sheet from its left edge to its right edge, from the top.
    const RECT pagePlace = driver::RectInClient(page, sheet);
    EXPECT_EQ(pagePlace.left, 0);
    EXPECT_EQ(pagePlace.top, 0);
    EXPECT_EQ(pagePlace.right, sheetClient.right);
}

TEST(PageChromeTest, EachPageIsLaidOutOnceAtItsOwnFirstActivation) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    HWND welcome = session.Page();
    ExpectFirstLayout(session.Sheet(), welcome, IDD_WELCOME);
    const Places welcomePlaces = ChildPlaces(welcome);

    ASSERT_TRUE(session.Next());
    HWND license = session.Page();
    ExpectFirstLayout(session.Sheet(), license, IDD_LICENSE);
    const Places licensePlaces = ChildPlaces(license);

    ASSERT_TRUE(session.Back());
    EXPECT_EQ(ChildPlaces(welcome), welcomePlaces) << "a second activation moved the welcome page's controls";
    ASSERT_TRUE(session.Next());
    EXPECT_EQ(ChildPlaces(license), licensePlaces) << "a second activation moved the licence page's controls";

    driver::ClickButton(GetDlgItem(license, IDC_ACCEPT));
    ASSERT_TRUE(session.Next());
    ExpectFirstLayout(session.Sheet(), session.Page(), IDD_OPTIONS);
}

// Rows 0 to 57 white across the page, row 58 black, the page's own background below.
void ExpectHeaderBand(HWND page) {
    const RECT title = driver::RectInClient(GetDlgItem(page, IDC_TITLE), page);
    const RECT banner = driver::RectInClient(GetDlgItem(page, IDC_HEADER_BITMAP), page);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    // The band is painted after the page shows; read the screen once the paint has reached it.
    driver::WaitUntil([&] {
        const driver::CClientCapture probe(page);
        return probe.Pixel(0, 0) == kWhite && probe.Pixel(0, 58) == kBlack;
    });
    const driver::CClientCapture screen(page);
    for (int x : {0, 3, static_cast<int>((title.right + banner.left) / 2), static_cast<int>(banner.left) - 1}) {
        SCOPED_TRACE("column " + std::to_string(x));
        for (int y = 0; y < 58; ++y)
            ASSERT_EQ(screen.Pixel(x, y), kWhite) << "row " << y;
        EXPECT_EQ(screen.Pixel(x, 58), kBlack);
        for (int y = 59; y < 64; ++y)
            EXPECT_EQ(screen.Pixel(x, y), face) << "row " << y;
    }
    // The line runs under the banner to the right edge as well.
    EXPECT_EQ(screen.Pixel(screen.Width() - 1, 58), kBlack);
}

TEST(PageChromeTest, HeaderBandIsWhiteWithABlackLine) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    ExpectHeaderBand(session.Page());
    ASSERT_TRUE(session.Next());
    ExpectHeaderBand(session.Page());
}

}  // namespace
