// The install options page on the real sheet: the five products with their boxes, what each kind of
// click and the space bar do to a box, what a click on a name shows in the panel, and the main
// product locked in. A sibling's ticked flag shows only in what the installation then fetches, so
// the tests that tick go on to the installation and read the download server's log.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/remote_list_view.h"
#include "support/wizard_session.h"

namespace {

using driver::CRemoteListView;
using driver::CWizardSession;

constexpr int kUnticked = 1;
constexpr int kTicked = 2;
constexpr int kLocked = 3;
const COLORREF kWhite = RGB(255, 255, 255);

struct Product {
    const char* name;
    const char* description;
};

const Product kProducts[] = {
    {"Orvella",
     "Orvella keeps your day in your pocket: appointments, tasks and notes in one clear view that fits the "
     "PocketPC screen. Plan the whole week with a tap and never miss what matters."},
    {"Zentaro",
     "Zentaro is the calm way to manage your money on the move. Record every expense in seconds, watch your "
     "budgets fill up in colour, and bring the figures home to your desktop with every synchronisation."},
    {"Plovic",
     "Plovic turns your handheld into a travel companion. Keep flights, hotels and meeting places together, "
     "read them offline anywhere in the world, and let the built-in currency and time zone tools do all the "
     "sums for you while you enjoy the trip."},
    {"Yarnex",
     "Yarnex is the notebook that thinks in outlines. Capture ideas as they come, fold and unfold whole "
     "branches with a tap, drag topics into place with the stylus, and share your finished outlines with the "
     "desktop word processor when the plan is ready."},
    {"Brisko",
     "Brisko is a fast and friendly puzzle game for your PocketPC. Slide the tiles, chain the colours and race "
     "the clock through one hundred levels that fit into any spare minute."},
};

std::vector<int> StateImages(const CRemoteListView& list) {
    std::vector<int> images;
    for (int item = 0; item < list.Count(); ++item)
        images.push_back(list.StateImage(item));
    return images;
}

std::vector<int> SelectedItems(const CRemoteListView& list) {
    std::vector<int> selected;
    for (int item = 0; item < list.Count(); ++item) {
        if (list.IsSelected(item))
            selected.push_back(item);
    }
    return selected;
}

// What the screen shows of an item's tick box, row by row.
std::vector<COLORREF> BoxPixels(const CRemoteListView& list, int item) {
    const RECT box = list.PartRect(item, LVHT_ONITEMSTATEICON);
    const driver::CClientCapture screen(list.Window());
    std::vector<COLORREF> pixels;
    for (LONG y = box.top; y < box.bottom; ++y) {
        for (LONG x = box.left; x < box.right; ++x)
            pixels.push_back(screen.Pixel(x, y));
    }
    return pixels;
}

// The locked tick is a light grey box with a light grey tick on the list's white: nothing dark.
bool ShowsLockedTick(const CRemoteListView& list) {
    bool grey = false;
    for (COLORREF pixel : BoxPixels(list, 0)) {
        if (GetRValue(pixel) < 0xA0 || GetGValue(pixel) < 0xA0 || GetBValue(pixel) < 0xA0)
            return false;
        grey = grey || pixel != kWhite;
    }
    return grey;
}

// The four requests that fetch one sibling, in their order.
std::vector<std::string> SiblingBodies(const std::string& name) {
    std::vector<std::string> bodies;
    for (const char* code : {"c", "i", "d", "ic"})
        bodies.push_back("p=Orvella&d=" + name + "&s=QX&v=2.3&e=" + code);
    return bodies;
}

// A bitmap file's pixels, top row first.
std::vector<COLORREF> BitmapPixels(const std::string& path, SIZE& size) {
    std::vector<COLORREF> pixels;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP shape = {};
    if (bitmap == nullptr || !GetObjectA(bitmap, sizeof(shape), &shape)) {
        ADD_FAILURE() << "cannot load " << path;
        return pixels;
    }
    size = {shape.bmWidth, shape.bmHeight};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> bits(static_cast<size_t>(size.cx) * size.cy);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, size.cy, bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    for (DWORD bgr : bits)
        pixels.push_back(RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF));
    return pixels;
}

// Whether the control shows the bitmap file pixel for pixel at its top left corner.
bool ShowsBitmap(HWND page, int control, const std::string& file) {
    SIZE size = {};
    const std::vector<COLORREF> expected = BitmapPixels(driver::JoinPath(driver::Env("ORVELLA_ASSET_DIR"), file), size);
    const RECT place = driver::RectInClient(GetDlgItem(page, control), page);
    const driver::CClientCapture screen(page);
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            if (screen.Pixel(place.left + x, place.top + y) != expected[static_cast<size_t>(y) * size.cx + x])
                return false;
        }
    }
    return !expected.empty();
}

// The panel shows one product: its description, its product bitmap and its banner.
void ExpectPanelShows(HWND page, int position) {
    const Product& product = kProducts[position];
    SCOPED_TRACE(product.name);
    EXPECT_EQ(driver::WindowText(GetDlgItem(page, IDC_PRODUCT_DESCRIPTION)), product.description);
    const std::string name = product.name;
    EXPECT_TRUE(driver::WaitUntil([&] { return ShowsBitmap(page, IDC_PRODUCT_ICON, name + "_ICON.bmp"); }))
        << "the product bitmap is not on screen";
    EXPECT_TRUE(driver::WaitUntil([&] { return ShowsBitmap(page, IDC_PRODUCT_SLOGAN, name + "_SLOGAN.bmp"); }))
        << "the banner is not on screen";
}

class OptionsPageTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(session_.Sheet(), nullptr);
        ASSERT_TRUE(session_.GoToOptions());
        page_ = session_.Page();
        list_ = std::make_unique<CRemoteListView>(session_.Item(IDC_PRODUCT_LIST));
        ASSERT_EQ(list_->Count(), 5);
    }

    POINT Box(int position) const {
        const POINT point = list_->PointOn(position, LVHT_ONITEMSTATEICON);
        EXPECT_GE(point.x, 0) << "no tick box on item " << position;
        return point;
    }

    POINT Name(int position) const {
        const POINT point = list_->PointOn(position, LVHT_ONITEMLABEL);
        EXPECT_GE(point.x, 0) << "no name on item " << position;
        return point;
    }

    // Installs with the ticks as they stand; the download server's log then tells which flags were set.
    std::vector<std::string> BodiesOfTheInstallation() {
        EXPECT_NE(driver::InstallToCompletion(session_), nullptr);
        return server_.Bodies();
    }

    driver::CDownloadServerControl server_;
    CWizardSession session_;
    HWND page_ = nullptr;
    std::unique_ptr<CRemoteListView> list_;
};

TEST_F(OptionsPageTest, ListsTheFiveProductsWithTheMainOneLockedIn) {
    for (int item = 0; item < 5; ++item)
        EXPECT_EQ(list_->Text(item), std::string(kProducts[item].name) + (item ? " (Trial)" : "")) << item;
    EXPECT_EQ(StateImages(*list_), (std::vector<int>{kLocked, kUnticked, kUnticked, kUnticked, kUnticked}));
    EXPECT_EQ(SelectedItems(*list_), std::vector<int>{0});
    EXPECT_TRUE(session_.WaitForButtons(true, true));
    EXPECT_TRUE(driver::WaitUntil([&] { return ShowsLockedTick(*list_); })) << "the locked tick is not drawn as such";
    EXPECT_NE(BoxPixels(*list_, 1), BoxPixels(*list_, 0));
    EXPECT_EQ(driver::WindowText(session_.Item(IDC_MORE_INFO_LINK)), "Click here for more information");
    ExpectPanelShows(page_, 0);

    // White around the bitmaps and the text: the panel's corners inside its edge.
    const RECT panel = driver::RectInClient(session_.Item(IDC_PRODUCT_PANEL), page_);
    const driver::CClientCapture screen(page_);
    for (POINT corner : {POINT{panel.left + 3, panel.top + 3}, POINT{panel.right - 4, panel.top + 3},
                         POINT{panel.left + 3, panel.bottom - 4}, POINT{panel.right - 4, panel.bottom - 4}})
        EXPECT_EQ(screen.Pixel(corner.x, corner.y), kWhite) << corner.x << "," << corner.y;
    EXPECT_TRUE(session_.WaitForTitle());
    EXPECT_TRUE(driver::SaveScreenshot(session_.Sheet(), "options_page"));
}

struct InputCase {
    const char* name;
    int position;
    bool toggles;  // else the input's notifications cancel each other out
    std::function<void(const CRemoteListView& list, POINT box, POINT name)> give;
};

// Each input is given three times: a toggling one leaves its sibling ticked, a pair of
// notifications leaves it as it was.
TEST_F(OptionsPageTest, EachClickAndTheSpaceBarToggleOnce) {
    const InputCase inputs[] = {
        {"LeftClick", 1, true, [](const CRemoteListView& list, POINT box, POINT) { list.LeftClick(box); }},
        {"RightClick", 2, true, [](const CRemoteListView& list, POINT box, POINT) { list.RightClick(box); }},
        {"ClickThenDoubleClick", 3, false,
         [](const CRemoteListView& list, POINT box, POINT) { list.DoubleClick(box); }},
        {"SpaceBarOnTheSelectedProduct", 4, true,
         [](const CRemoteListView& list, POINT, POINT name) {
             list.LeftClick(name);
             list.PressKey(VK_SPACE);
         }},
    };
    for (const InputCase& input : inputs) {
        SCOPED_TRACE(input.name);
        const POINT box = Box(input.position);
        const POINT name = Name(input.position);
        for (int time = 1; time <= 3; ++time) {
            input.give(*list_, box, name);
            const bool ticked = input.toggles && time % 2 == 1;
            EXPECT_EQ(list_->StateImage(input.position), ticked ? kTicked : kUnticked) << "after input " << time;
        }
    }
    const std::vector<int> ticks = {kLocked, kTicked, kTicked, kUnticked, kTicked};
    EXPECT_EQ(StateImages(*list_), ticks);
    EXPECT_NE(BoxPixels(*list_, 1), BoxPixels(*list_, 3)) << "a tick must show";
    EXPECT_EQ(BoxPixels(*list_, 1), BoxPixels(*list_, 2));
    EXPECT_TRUE(driver::SaveScreenshot(session_.Sheet(), "options_page_ticked"));

    // The page keeps its ticks across a visit to the licence page.
    ASSERT_TRUE(session_.Back());
    ASSERT_TRUE(session_.Next());
    ASSERT_EQ(session_.Page(), page_);
    EXPECT_EQ(StateImages(*list_), ticks);

    std::vector<std::string> expected = SiblingBodies("Zentaro");
    for (const char* sibling : {"Plovic", "Brisko"}) {
        const std::vector<std::string> more = SiblingBodies(sibling);
        expected.insert(expected.end(), more.begin(), more.end());
    }
    EXPECT_EQ(BodiesOfTheInstallation(), expected) << "the ticked flags disagree with the ticks shown";
}

TEST_F(OptionsPageTest, SpaceBarActsOnTheLowestSelectedProduct) {
    list_->LeftClick(Name(2));
    // A second product joins the selection.
    list_->LeftClick(Name(3), MK_CONTROL);
    ASSERT_EQ(SelectedItems(*list_), (std::vector<int>{2, 3}));
    ExpectPanelShows(page_, 3);

    list_->PressKey(VK_SPACE);
    EXPECT_EQ(StateImages(*list_), (std::vector<int>{kLocked, kUnticked, kTicked, kUnticked, kUnticked}));
    EXPECT_EQ(BodiesOfTheInstallation(), SiblingBodies("Plovic"));
}

TEST_F(OptionsPageTest, MainProductCanBeSelectedButNeverChanges) {
    list_->LeftClick(Name(1));
    ASSERT_EQ(SelectedItems(*list_), std::vector<int>{1});
    const POINT box = Box(0);
    list_->LeftClick(box);
    EXPECT_EQ(list_->StateImage(0), kLocked) << "left click";
    list_->RightClick(box);
    EXPECT_EQ(list_->StateImage(0), kLocked) << "right click";
    list_->DoubleClick(box);
    EXPECT_EQ(list_->StateImage(0), kLocked) << "double click";

    list_->LeftClick(Name(0));
    EXPECT_EQ(SelectedItems(*list_), std::vector<int>{0});
    ExpectPanelShows(page_, 0);
    list_->PressKey(VK_SPACE);
    EXPECT_EQ(StateImages(*list_), (std::vector<int>{kLocked, kUnticked, kUnticked, kUnticked, kUnticked}));

    // Nothing was selected for download: the main product is not fetched, nothing is.
    EXPECT_EQ(BodiesOfTheInstallation(), std::vector<std::string>{});
    const driver::CStandInManager manager(session_.Folder());
    const std::string dir = session_.Folder() + "\\";
    EXPECT_EQ(manager.RecordValue("cmdline"),
              "\"" + dir + "CEAppMgr.exe\" \"" + dir + "Quorvex Orvella\\Orvella.ini\" ");
}

struct ChannelCase {
    const char* name;
    const char* exeName;
    // The page of each product for the channel, in list order.
    std::vector<std::string> pages;
};

std::vector<std::string> MakerPages() {
    std::vector<std::string> pages;
    for (const char* folder : {"orvella", "zentaro", "plovic", "yarnex", "brisko"})
        pages.push_back(std::string("http://www.quorvex.com/") + folder + "/summary.html");
    return pages;
}

std::vector<std::string> MobiHandPages() {
    std::vector<std::string> pages;
    for (const char* id : {"11523", "11524", "11525", "11526", "11527"})
        pages.push_back(std::string("http://www.mobihand.com/product.asp?id=") + id);
    return pages;
}

class OptionsPanelTest : public testing::TestWithParam<ChannelCase> {};

// Each product in turn, chosen by a click on its name: only that product selected, no tick
// changed, the panel and the link about that product.
TEST_P(OptionsPanelTest, ClickOnANameShowsThatProductAndItsPage) {
    const ChannelCase& channel = GetParam();
    driver::CUrlRecorder browser;
    CWizardSession session(channel.exeName);
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(session.GoToOptions());
    HWND page = session.Page();
    const CRemoteListView list(session.Item(IDC_PRODUCT_LIST));

    const std::vector<int> untouched = StateImages(list);
    std::vector<std::string> opened;
    for (int position : {2, 4, 1, 3, 0}) {
        SCOPED_TRACE(kProducts[position].name);
        list.LeftClick(list.PointOn(position, LVHT_ONITEMLABEL));
        EXPECT_EQ(SelectedItems(list), std::vector<int>{position});
        EXPECT_EQ(StateImages(list), untouched);
        ExpectPanelShows(page, position);
        EXPECT_EQ(driver::WindowText(session.Item(IDC_MORE_INFO_LINK)), "Click here for more information");

        PostMessageA(session.Item(IDC_MORE_INFO_LINK), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        opened = browser.WaitForUrls(opened.size() + 1, 10000);
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(opened.back(), channel.pages[position]);
    }
    EXPECT_EQ(opened.size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Channels,
                         OptionsPanelTest,
                         testing::Values(ChannelCase{"Maker", "QuorvexOrvella_Setup.exe", MakerPages()},
                                         ChannelCase{"MobiHand", "QuorvexOrvella_MH_Setup.exe", MobiHandPages()}),
                         [](const testing::TestParamInfo<ChannelCase>& info) { return std::string(info.param.name); });

}  // namespace
