// The install worker on its own thread, driving the real progress page while this thread
// dispatches messages, with the stand-in manager and the local download server as its
// counterparts.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <set>
#include <string>
#include <vector>

#include "app/setup.h"
#include "install/appmgr.h"
#include "install/worker.h"
#include "install_fixture.h"
#include "res/resource.h"

namespace {

TEST(InstallWorkerRangeTest, OneStepPerProductTheRunHandles) {
    const struct {
        unsigned selectedRows;  // bit n for row n
        int range;
    } kCases[] = {
        {0x00, 1}, {0x02, 2}, {0x06, 3}, {0x1E, 5}, {0x01, 1}, {0x03, 2}, {0x1F, 5},
    };
    for (const auto& entry : kCases) {
        CSetupConfig config;
        for (int row = 0; row < kProductCount; ++row)
            config.products[row].selected = (entry.selectedRows >> row) & 1;
        EXPECT_EQ(OverallRange(config), entry.range) << "rows " << entry.selectedRows;
    }
}

struct CBoxSearch {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<CBoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[32] = {};
    GetClassNameA(window, className, sizeof(className));
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && strcmp(className, "#32770") == 0 &&
        driver::WindowText(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

class InstallWorkerTest : public testing::Test {
  protected:
    DWORD RunWorker(const std::function<void()>& poll = {}) {
        return page_.RunWorker(InstallWorker, page_.Page(), poll);
    }
    CProductInfo& Row(int row) const { return g_setupConfig.products[row]; }
    std::string Quoted(const std::string& path) const { return "\"" + path + "\" "; }
    std::string Ini(int row) const { return Quoted(ProductFilePath(g_setupConfig, row, ".ini")); }
    std::string Manager() const { return Quoted(manager_.Path()); }
    void ExpectBarsSetUpFor(int range) const {
        ASSERT_GE(page_.Overall().size(), 2u);
        EXPECT_EQ(page_.Overall()[0].message, static_cast<UINT>(PBM_SETRANGE));
        EXPECT_EQ(page_.Overall()[0].lParam, MAKELPARAM(0, range));
        EXPECT_EQ(page_.Overall()[1].message, static_cast<UINT>(PBM_SETSTEP));
        EXPECT_EQ(page_.Overall()[1].wParam, 1u);
        ASSERT_FALSE(page_.Current().empty());
        EXPECT_EQ(page_.Current()[0].message, static_cast<UINT>(PBM_SETRANGE));
        EXPECT_EQ(page_.Current()[0].lParam, MAKELPARAM(0, 100));
        EXPECT_EQ(page_.OverallLimit(), range);
    }
    void ExpectWizardMovedOn() const {
        ASSERT_EQ(page_.Presses().size(), 1u);
        EXPECT_EQ(page_.Presses()[0].wParam, static_cast<WPARAM>(PSBTN_NEXT));
        EXPECT_EQ(page_.Presses()[0].lParam, 0);
    }

    CStandInAppMgr manager_{"worker"};
    CConfigScope config_{manager_.Dir()};
    CServerControl server_;
    CProgressPage page_;
};

TEST_F(InstallWorkerTest, NoSiblingTickedInstallsTheMainProductWithoutTheNetwork) {
    EXPECT_EQ(RunWorker(), 0u);

    ExpectBarsSetUpFor(1);
    EXPECT_TRUE(server_.RequestedFiles().empty());
    EXPECT_EQ(manager_.CommandLine(), Manager() + Ini(0));
    EXPECT_NE(manager_.Record().find("result=ok"), std::string::npos) << manager_.Record();
    EXPECT_TRUE(Row(0).installed);
    EXPECT_EQ(page_.OverallPosition(), 1);
    ExpectWizardMovedOn();
}

TEST_F(InstallWorkerTest, TwoSiblingsWithoutServerFailAndTheMainProductStillGoes) {
    const driver::CProxyOverride proxy("127.0.0.1:1");
    Row(1).selected = true;
    Row(2).selected = true;

    EXPECT_EQ(RunWorker(), 0u);

    ExpectBarsSetUpFor(3);
    for (int row : {1, 2}) {
        EXPECT_EQ(Row(row).failureId, static_cast<UINT>(IDS_DOWNLOAD_FAILED));
        EXPECT_FALSE(Row(row).installed);
    }
    EXPECT_EQ(page_.OverallPosition(), 1);
    EXPECT_EQ(manager_.CommandLine(), Manager() + Ini(0));
    ExpectWizardMovedOn();
}

TEST_F(InstallWorkerTest, DownloadedSiblingsStandBeforeTheMainProductLaterRowFirst) {
    Row(1).selected = true;
    Row(3).selected = true;

    EXPECT_EQ(RunWorker(), 0u);

    ExpectBarsSetUpFor(3);
    EXPECT_EQ(server_.RequestedFiles().size(), 8u);
    EXPECT_EQ(manager_.CommandLine(), Manager() + Ini(3) + Ini(1) + Ini(0));
    // The stand-in found three complete packages.
    EXPECT_NE(manager_.Record().find("result=ok"), std::string::npos) << manager_.Record();
    EXPECT_EQ(page_.OverallPosition(), 3);
    ExpectWizardMovedOn();
}

TEST_F(InstallWorkerTest, EverythingFailedStillStartsTheManagerAndMovesOn) {
    server_.SetFaults("* * 404\n");
    const std::string mainCab = ProductFilePath(g_setupConfig, 0, ".CAB");
    ASSERT_TRUE(CreateDirectoryA(ProductFolderPath(g_setupConfig, 0).c_str(), nullptr));
    ASSERT_TRUE(driver::WriteFileBytes(mainCab, "locked"));
    ASSERT_TRUE(SetFileAttributesA(mainCab.c_str(), FILE_ATTRIBUTE_READONLY));
    Row(1).selected = true;
    Row(2).selected = true;

    EXPECT_EQ(RunWorker(), 0u);

    EXPECT_EQ(Row(0).failureId, static_cast<UINT>(IDS_COPY_FAILED));
    EXPECT_EQ(Row(1).failureId, static_cast<UINT>(IDS_DOWNLOAD_FAILED));
    EXPECT_EQ(Row(2).failureId, static_cast<UINT>(IDS_DOWNLOAD_FAILED));
    EXPECT_EQ(manager_.CommandLine(), Manager());
    ExpectWizardMovedOn();
}

TEST_F(InstallWorkerTest, MissingManagerWarnsOnceAndKeepsTheWizardWhereItIs) {
    g_setupConfig.appMgrPath = manager_.Dir() + "missing\\CEAppMgr.exe";
    std::set<HWND> boxes;
    std::string text;
    const auto answerBox = [&] {
        CBoxSearch search{g_setupConfig.sheetCaption};
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && boxes.insert(search.found).second) {
            text = driver::WindowText(GetDlgItem(search.found, 0xFFFF));
            PostMessageA(search.found, WM_COMMAND, IDOK, 0);
        }
    };

    EXPECT_EQ(RunWorker(answerBox), static_cast<DWORD>(-1));

    EXPECT_EQ(boxes.size(), 1u);
    std::string expected;
    LoadResourceString(IDS_APPMGR_MISSING, expected);
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(page_.Presses().empty());
    EXPECT_TRUE(Row(0).installed);
}

}  // namespace
