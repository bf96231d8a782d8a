// The progress page on the real sheet while the application manager runs: no way Back or Next,
// and Cancel asks first. No keeps the installation going; Yes ends the setup at once and leaves the
// manager it started running on its own.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

const char kQuestionTitle[] = "Orvella - Setup";
const char kQuestion[] = "Are you sure you want to cancel the setup and exit?";
constexpr DWORD kWaitMilliseconds = 20000;

class ProgressPageTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(session_.Sheet(), nullptr);
        // The stand-in shows its window and runs until the test closes it, which holds the
        // installation on the progress page for as long as the test needs.
        ASSERT_TRUE(manager_.Configure("show_window=1\n"));
        ASSERT_TRUE(session_.GoToOptions());
        ASSERT_TRUE(session_.Next());
        page_ = session_.Page();
        ASSERT_NE(GetDlgItem(page_, IDC_OVERALL_PROGRESS), nullptr) << "not the progress page";
        managerWindow_ = driver::WaitForStandInWindow(kWaitMilliseconds);
        ASSERT_NE(managerWindow_, nullptr) << "the manager never started";
        DWORD managerId = 0;
        GetWindowThreadProcessId(managerWindow_, &managerId);
        managerProcess_ = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, managerId);
        ASSERT_NE(managerProcess_, nullptr);
        // Out of the way of the sheet, so that the screen shows the page.
        SetWindowPos(managerWindow_, nullptr, -2000, -2000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void TearDown() override {
        if (managerProcess_ != nullptr) {
            EndManager();
            CloseHandle(managerProcess_);
        }
    }

    bool ManagerRuns() const { return WaitForSingleObject(managerProcess_, 0) == WAIT_TIMEOUT; }

    // The manager's window closed, as its user would; the manager then ends.
    void EndManager() {
        if (IsWindow(managerWindow_))
            PostMessageA(managerWindow_, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitForSingleObject(managerProcess_, kWaitMilliseconds), WAIT_OBJECT_0) << "the manager did not end";
    }

    // Cancel pressed, posted, since a sent press would wait for the question to be answered.
    HWND PressCancelForTheQuestion() {
        PostMessageA(session_.SheetItem(IDCANCEL), BM_CLICK, 0, 0);
        HWND box = driver::WaitForMessageBox(session_.ProcessId(), kQuestionTitle, kWaitMilliseconds);
        EXPECT_NE(box, nullptr) << "no question";
        if (box == nullptr)
            return nullptr;
        EXPECT_EQ(driver::MessageBoxText(box), kQuestion);
        EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
        EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
        EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
        EXPECT_EQ(GetWindow(box, GW_OWNER), session_.Sheet()) << "the question belongs to the wizard";
        return box;
    }

    int OverallPosition() const {
        return static_cast<int>(SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_GETPOS, 0, 0));
    }

    int OverallLimit() const {
        return static_cast<int>(SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_GETRANGE, FALSE, 0));
    }

    CWizardSession session_;
    const driver::CStandInManager manager_{session_.Folder()};
    HWND page_ = nullptr;
    HWND managerWindow_ = nullptr;
    HANDLE managerProcess_ = nullptr;
};

TEST_F(ProgressPageTest, NoKeepsTheInstallationGoing) {
    EXPECT_TRUE(session_.WaitForButtons(false, false));
    EXPECT_TRUE(IsWindowVisible(session_.SheetItem(IDCANCEL)));
    EXPECT_TRUE(IsWindowEnabled(session_.SheetItem(IDCANCEL)));
    // Only the main product, already written out for the manager.
    EXPECT_EQ(OverallLimit(), 1);
    EXPECT_EQ(OverallPosition(), 1);
    EXPECT_TRUE(session_.WaitForTitle());
    EXPECT_TRUE(driver::SaveScreenshot(session_.Sheet(), "progress_page"));

    HWND box = PressCancelForTheQuestion();
    ASSERT_NE(box, nullptr);
    driver::ClickButton(GetDlgItem(box, IDNO));
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindow(box); }));

    EXPECT_EQ(session_.Page(), page_);
    EXPECT_EQ(session_.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(session_.WaitForButtons(false, false));
    EXPECT_EQ(OverallPosition(), 1);
    EXPECT_TRUE(ManagerRuns());

    // The installation goes on to its end: once the manager ends, the wizard moves on by itself.
    EndManager();
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::IsCompletionPage(session_.Page()); }, kWaitMilliseconds));
    EXPECT_EQ(driver::WindowText(GetDlgItem(session_.Page(), IDC_SUMMARY)),
              "The following products have been installed:\n\n    - Orvella\n\n\n");
}

TEST_F(ProgressPageTest, YesEndsTheSetupAtOnceWhileTheManagerRunsOn) {
    HWND box = PressCancelForTheQuestion();
    ASSERT_NE(box, nullptr);
    driver::ClickButton(GetDlgItem(box, IDYES));

    EXPECT_EQ(session_.WaitForExit(kWaitMilliseconds), 0u);
    EXPECT_TRUE(ManagerRuns()) << "the manager must outlive the setup";
    EXPECT_TRUE(IsWindowVisible(managerWindow_));
    const std::string dir = session_.Folder() + "\\";
    EXPECT_EQ(manager_.RecordValue("cmdline"),
              "\"" + dir + "CEAppMgr.exe\" \"" + dir + "Quorvex Orvella\\Orvella.ini\" ");
}

}  // namespace
