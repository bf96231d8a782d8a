// The link control on real dialogs of this process: one subclass of the dialog for any number of
// links, the link colour, hovering with the shared underlined font, opening through the shell
// (recorded instead of a browser), and the shared font's life with the count of links.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/setup.h"
#include "controls/hyperlink.h"
#include "res/resource.h"
#include "support/driver.h"

namespace {

const char kFirstUrl[] = "http://www.quorvex.com/first.html";
const char kSecondUrl[] = "http://www.quorvex.com/second.html?a=1&b=2";

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND CreateWelcomeDialog() {
    HWND dialog = CreateDialogParamA(g_appInstance, MAKEINTRESOURCEA(IDD_WELCOME), nullptr, PlainDialogProc, 0);
    if (dialog != nullptr)
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return dialog;
}

HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
}

LOGFONTA Describe(HFONT font) {
    LOGFONTA description = {};
    GetObjectA(font, sizeof(description), &description);
    return description;
}

LPCSTR PropertyKey() {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(CHyperLink::propertyAtom));
}

// How many pixels of the control show the colour, as drawn on its window.
int CountPixels(HWND control, COLORREF colour) {
    RECT area;
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    int count = 0;
    for (int y = 0; y < area.bottom; ++y) {
        for (int x = 0; x < area.right; ++x)
            count += GetPixel(dc, x, y) == colour;
    }
    ReleaseDC(control, dc);
    return count;
}

class HyperLinkTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(CHyperLink::linkCount, 0) << "a previous case left links behind";
        dialog_ = CreateWelcomeDialog();
        ASSERT_NE(dialog_, nullptr);
        originalProc_ = GetWindowLongPtrA(dialog_, GWLP_WNDPROC);
    }

    void TearDown() override {
        if (IsWindow(dialog_))
            DestroyWindow(dialog_);
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

    void AttachBoth() {
        ASSERT_TRUE(first_.AttachDialogItem(dialog_, IDC_STORE_LINK, kFirstUrl));
        ASSERT_TRUE(second_.AttachDialogItem(dialog_, IDC_WELCOME_HEADLINE, kSecondUrl));
    }

    void Show() {
        ShowWindow(dialog_, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog_);
    }

    driver::CUrlRecorder browser_;
    HWND dialog_ = nullptr;
    LONG_PTR originalProc_ = 0;
    CHyperLink first_;
    CHyperLink second_;
};

TEST_F(HyperLinkTest, TwoLinksSubclassTheDialogOnceAndShowTheLinkColour) {
    ASSERT_TRUE(first_.AttachDialogItem(dialog_, IDC_STORE_LINK, kFirstUrl));
    const LONG_PTR subclassed = GetWindowLongPtrA(dialog_, GWLP_WNDPROC);
    EXPECT_EQ(subclassed, reinterpret_cast<LONG_PTR>(CHyperLink::ParentWndProc));
    ASSERT_TRUE(second_.AttachDialogItem(dialog_, IDC_WELCOME_HEADLINE, kSecondUrl));
    EXPECT_EQ(GetWindowLongPtrA(dialog_, GWLP_WNDPROC), subclassed);
    // The dialog's own procedure is kept once; a second subclass would keep the link's and loop.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(dialog_, PropertyKey())), originalProc_);
    EXPECT_EQ(CHyperLink::linkCount, 2);
    for (int id : {IDC_STORE_LINK, IDC_WELCOME_HEADLINE})
        EXPECT_TRUE(GetWindowLongA(Item(id), GWL_STYLE) & SS_NOTIFY) << id;

    Show();
    EXPECT_GT(CountPixels(Item(IDC_STORE_LINK), CHyperLink::kLinkColor), 20);
    EXPECT_GT(CountPixels(Item(IDC_WELCOME_HEADLINE), CHyperLink::kLinkColor), 10);
    HWND plain = Item(IDC_WELCOME_TEXT);
    EXPECT_EQ(CountPixels(plain, CHyperLink::kLinkColor), 0) << "an ordinary static must keep its colour";
    EXPECT_GT(CountPixels(plain, GetSysColor(COLOR_WINDOWTEXT)), 10);
}

TEST_F(HyperLinkTest, HoveringShowsTheSharedUnderlinedFontUntilThePointerLeaves) {
    HWND link = Item(IDC_STORE_LINK);
    const HFONT ownFont = FontOf(link);
    ASSERT_NE(ownFont, nullptr);
    AttachBoth();
    Show();
    ASSERT_NE(CHyperLink::underlineFont, nullptr);
    const LOGFONTA own = Describe(ownFont);
    const LOGFONTA underlined = Describe(CHyperLink::underlineFont);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_EQ(underlined.lfHeight, own.lfHeight);
    EXPECT_EQ(underlined.lfWeight, own.lfWeight);
    EXPECT_STREQ(underlined.lfFaceName, own.lfFaceName);

    RECT area;
    GetClientRect(link, &area);
    // Right of, below, left of and above the control; the last two read as large unsigned values.
    const POINT outside[] = {{area.right, 1}, {1, area.bottom}, {-1, 1}, {1, -1}};
    for (const POINT& away : outside) {
        SCOPED_TRACE(std::to_string(away.x) + "," + std::to_string(away.y));
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        EXPECT_EQ(FontOf(link), CHyperLink::underlineFont);
        EXPECT_EQ(GetCapture(), link);
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(area.right - 1, area.bottom - 1));
        EXPECT_EQ(GetCapture(), link) << "a move inside keeps hovering";
        SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(away.x, away.y));
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(FontOf(link), ownFont);
    }

    // Any loss of the capture ends hovering, and every link hovers with the one shared font.
    HWND other = Item(IDC_WELCOME_HEADLINE);
    SendMessageA(other, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(FontOf(other), CHyperLink::underlineFont);
    SetCapture(dialog_);
    EXPECT_NE(FontOf(other), CHyperLink::underlineFont);
    ReleaseCapture();

    EXPECT_EQ(SendMessageA(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));
}

TEST_F(HyperLinkTest, ClickAndSpaceReleaseOpenTheUrlEveryTime) {
    AttachBoth();
    HWND link = Item(IDC_STORE_LINK);
    const std::string text = driver::WindowText(link);

    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(browser_.WaitForUrls(1, 10000).size(), 1u);
    EXPECT_TRUE(first_.Visited());

    // The press of the space bar and the release of other keys open nothing.
    SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageA(link, WM_KEYUP, 'A', 0xC01E0001);
    SendMessageA(link, WM_KEYUP, VK_SPACE, 0xC0390001);
    ASSERT_EQ(browser_.WaitForUrls(2, 10000).size(), 2u);

    // A new URL changes where the next click leads, and nothing on screen.
    ASSERT_TRUE(first_.SetUrl(kSecondUrl));
    EXPECT_EQ(driver::WindowText(link), text);
    SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    const std::vector<std::string> urls = browser_.WaitForUrls(3, 10000);
    EXPECT_EQ(urls, (std::vector<std::string>{kFirstUrl, kFirstUrl, kSecondUrl}));
    EXPECT_TRUE(first_.Visited());
}

TEST_F(HyperLinkTest, FocusFrameIsDrawnOnTheDialogAndRemovedAgain) {
    AttachBoth();
    Show();
    HWND link = Item(IDC_STORE_LINK);
    RECT frame;
    GetWindowRect(link, &frame);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&frame), 2);
    auto frameRowChanged = [&] {
        HDC dc = GetDC(dialog_);
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        int changed = 0;
        for (int x = frame.left; x < frame.right; ++x)
            changed += GetPixel(dc, x, frame.top - 1) != face;
        ReleaseDC(dialog_, dc);
        return changed;
    };
    ASSERT_EQ(frameRowChanged(), 0);
    EXPECT_EQ(SendMessageA(link, WM_SETFOCUS, 0, 0), 0);
    EXPECT_GT(frameRowChanged(), 10);
    EXPECT_EQ(SendMessageA(link, WM_KILLFOCUS, 0, 0), 0);
    EXPECT_EQ(frameRowChanged(), 0);
}

TEST_F(HyperLinkTest, LastLinkDestroyedReleasesTheSharedFontAndALaterLinkMakesANewOne) {
    AttachBoth();
    const HFONT shared = CHyperLink::underlineFont;
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(CHyperLink::linkCursor, nullptr);

    DestroyWindow(Item(IDC_STORE_LINK));
    EXPECT_EQ(CHyperLink::linkCount, 1);
    EXPECT_EQ(CHyperLink::underlineFont, shared);
    EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_FONT));
    HWND remaining = Item(IDC_WELCOME_HEADLINE);
    SendMessageA(remaining, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(FontOf(remaining), shared);
    ReleaseCapture();

    DestroyWindow(dialog_);
    EXPECT_EQ(CHyperLink::linkCount, 0);
    EXPECT_EQ(CHyperLink::underlineFont, nullptr);
    EXPECT_EQ(CHyperLink::linkCursor, nullptr);
    EXPECT_EQ(GetObjectType(shared), 0u) << "the shared font must be deleted with the last link";
    EXPECT_STREQ(first_.Url(), kFirstUrl) << "the object outlives its control";

    dialog_ = CreateWelcomeDialog();
    ASSERT_NE(dialog_, nullptr);
    ASSERT_TRUE(first_.AttachDialogItem(dialog_, IDC_STORE_LINK, kSecondUrl));
    EXPECT_EQ(CHyperLink::linkCount, 1);
    ASSERT_NE(CHyperLink::underlineFont, nullptr);
    EXPECT_EQ(GetObjectType(CHyperLink::underlineFont), static_cast<DWORD>(OBJ_FONT));
    EXPECT_TRUE(Describe(CHyperLink::underlineFont).lfUnderline);
    EXPECT_NE(CHyperLink::linkCursor, nullptr);
}

TEST_F(HyperLinkTest, UrlIsCopiedSafely) {
    CHyperLink link;
    ASSERT_TRUE(link.SetUrl(kFirstUrl));
    // Given its own URL again, the link must not lose it while copying.
    ASSERT_TRUE(link.SetUrl(link.Url()));
    EXPECT_STREQ(link.Url(), kFirstUrl);

    // No URL: the control stays an ordinary static.
    EXPECT_FALSE(link.AttachDialogItem(dialog_, IDC_STORE_LINK, nullptr));
    EXPECT_EQ(link.Url(), nullptr);
    EXPECT_EQ(CHyperLink::linkCount, 0);
    EXPECT_EQ(GetPropA(Item(IDC_STORE_LINK), PropertyKey()), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(dialog_, GWLP_WNDPROC), originalProc_);
}

}  // namespace
