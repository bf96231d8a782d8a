// The welcome page on the real sheet, per sales channel: its texts, where the store link and
// "Buy Now" lead, its buttons, and that a visit to the next page leaves it as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

const char kHeadline[] = "Welcome to the install wizard for \"Orvella for PocketPC\" by Quorvex";
const char kBodyText[] =
    "The install wizard will install Orvella on your Windows Mobile powered PocketPC device.\n"
    "To continue, click Next\n\n\n\n\n";
const char kHandangoPage[] =
    "http://www.handango.com/affiliate/PlatformProductDetail.jsp?programId=4&affiliateId=31647&productId=118204";
const char kPocketGearPage[] = "http://www.pocketgear.com/software_detail.asp?id=20361&associateid=1297";
const char kMakerSummary[] = "http://www.quorvex.com/orvella/summary.html";
const char kMakerPurchase[] = "http://www.quorvex.com/orvella/purchase.html";

struct ChannelCase {
    const char* name;
    const char* exeName;
    const char* channelName;
    const char* linkUrl;
    const char* buyUrl;
};

const ChannelCase kChannels[] = {
    {"Maker", "QuorvexOrvella_Setup.exe", "Quorvex", kMakerSummary, kMakerPurchase},
    {"Handango", "QuorvexOrvella_HG_Setup.exe", "Handango", kHandangoPage, kHandangoPage},
    {"PocketGear", "QuorvexOrvella_PG_Setup.exe", "PocketGear", kPocketGearPage, kPocketGearPage},
};

class WelcomePageTest : public testing::TestWithParam<ChannelCase> {};

TEST_P(WelcomePageTest, ShowsTheChannelsTextsAndOpensItsPages) {
    const ChannelCase& channel = GetParam();
    driver::CUrlRecorder browser;
    CWizardSession session(channel.exeName);
    ASSERT_NE(session.Sheet(), nullptr);

    EXPECT_EQ(driver::WindowText(session.Item(IDC_WELCOME_HEADLINE)), kHeadline);
    EXPECT_EQ(driver::WindowText(session.Item(IDC_WELCOME_TEXT)), kBodyText);
    EXPECT_EQ(driver::WindowText(session.Item(IDC_STORE_LINK)),
              std::string("Click here to visit Orvella information page on ") + channel.channelName + " website");
    EXPECT_TRUE(session.WaitForButtons(false, true)) << "Back disabled, Next enabled";

    PostMessageA(session.Item(IDC_STORE_LINK), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(browser.WaitForUrls(1, 10000).size(), 1u) << "the link opened nothing";
    driver::ClickButton(session.Item(IDC_BUY_NOW));
    const std::vector<std::string> urls = browser.WaitForUrls(2, 10000);
    ASSERT_EQ(urls.size(), 2u) << "Buy Now opened nothing";
    EXPECT_EQ(urls[0], channel.linkUrl);
    EXPECT_EQ(urls[1], channel.buyUrl);
    // The page stays as it was.
    EXPECT_EQ(driver::WindowText(session.Item(IDC_STORE_LINK)),
              std::string("Click here to visit Orvella information page on ") + channel.channelName + " website");
}

INSTANTIATE_TEST_SUITE_P(Channels,
                         WelcomePageTest,
                         testing::ValuesIn(kChannels),
                         [](const testing::TestParamInfo<ChannelCase>& info) { return std::string(info.param.name); });

// Texts and places of every control of the page.
std::map<int, std::pair<std::string, std::array<LONG, 4>>> Snapshot(HWND page) {
    std::map<int, std::pair<std::string, std::array<LONG, 4>>> controls;
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = driver::RectInClient(child, page);
        controls[GetDlgCtrlID(child)] = {driver::WindowText(child), {place.left, place.top, place.right, place.bottom}};
    }
    return controls;
}

TEST(WelcomePageNavigationTest, NextThenBackChangesNothing) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    HWND welcome = session.Page();
    ASSERT_TRUE(session.WaitForButtons(false, true));
    const auto before = Snapshot(welcome);
    EXPECT_TRUE(session.WaitForTitle());
    ASSERT_TRUE(driver::SaveScreenshot(session.Sheet(), "welcome_page"));

    ASSERT_TRUE(session.Next());
    ASSERT_TRUE(session.WaitForButtons(true, false)) << "the licence page's buttons never came";
    ASSERT_TRUE(session.Back());
    EXPECT_EQ(session.Page(), welcome);
    EXPECT_TRUE(session.WaitForButtons(false, true));
    EXPECT_EQ(Snapshot(welcome), before);
    EXPECT_TRUE(session.Cancel()) << "Cancel must close the wizard at once, without a question";
}

}  // namespace
