// The completion page on the real sheet after real installations: the account of what was
// installed and what failed with its reason, Finish as the only button, the maker's site, and the
// end of the run with exit code 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

const char kInstalledHeading[] = "The following products have been installed:\n\n";
const char kFailedHeading[] = "The setup couldn't install the following programs:\n\n";

struct OutcomeCase {
    const char* name;
    std::vector<int> ticked;  // list positions
    const char* faults;
    bool mainFileLocked;  // a read-only file stands where the main product's cabinet goes
    std::string summary;
};

const OutcomeCase kOutcomes[] = {
    {"OnlyInstalled", {}, "", false, std::string(kInstalledHeading) + "    - Orvella\n\n\n"},
    {"InstalledAndFailed",
     {4, 1},
     "Brisko c 404\n",
     false,
     std::string(kInstalledHeading) + "    - Orvella\n    - Zentaro\n\n\n" + kFailedHeading +
         "    - Brisko (Unable to contact the download server.)\n"},
    {"OnlyFailed",
     {2},
     "Plovic i 404\n",
     true,
     std::string(kFailedHeading) + "    - Orvella (Unable to copy the setup files.)\n"
                                   "    - Plovic (Unable to contact the download server.)\n"},
};

class CompletionPageTest : public testing::TestWithParam<OutcomeCase> {};

TEST_P(CompletionPageTest, ShowsTheOutcomeAndFinishEndsTheRun) {
    const OutcomeCase& outcome = GetParam();
    driver::CDownloadServerControl server;
    server.SetFaults(outcome.faults);
    driver::CUrlRecorder browser;
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    if (outcome.mainFileLocked) {
        const std::string folder = driver::JoinPath(session.Folder(), "Quorvex Orvella");
        const std::string cabinet = driver::ProductFile(session, "Orvella", ".CAB");
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        ASSERT_TRUE(driver::WriteFileBytes(cabinet, "an older cabinet"));
        ASSERT_TRUE(SetFileAttributesA(cabinet.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, outcome.ticked));

    HWND page = driver::InstallToCompletion(session);
    ASSERT_NE(page, nullptr) << "the installation never reached the last page";
    EXPECT_EQ(driver::WindowText(GetDlgItem(page, IDC_SUMMARY)), outcome.summary);

    // Finish is the only button left.
    HWND finish = session.SheetItem(driver::kFinishButton);
    EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(finish) && IsWindowEnabled(finish); }));
    EXPECT_EQ(driver::WindowText(finish), "Finish");
    for (int button : {driver::kBackButton, driver::kNextButton, IDCANCEL})
        EXPECT_FALSE(IsWindowVisible(session.SheetItem(button))) << "button " << button;

    PostMessageA(GetDlgItem(page, IDC_WEBSITE_LINK), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(browser.WaitForUrls(1, 10000), std::vector<std::string>{"http://www.quorvex.com/"});

    if (outcome.ticked.size() > 1) {
        EXPECT_TRUE(session.WaitForTitle());
        EXPECT_TRUE(driver::SaveScreenshot(session.Sheet(), "completion_page"));
    }
    PostMessageA(finish, BM_CLICK, 0, 0);
    EXPECT_EQ(session.WaitForExit(20000), 0u);
}

INSTANTIATE_TEST_SUITE_P(Outcomes,
                         CompletionPageTest,
                         testing::ValuesIn(kOutcomes),
                         [](const testing::TestParamInfo<OutcomeCase>& info) { return std::string(info.param.name); });

}  // namespace
