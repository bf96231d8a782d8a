// A server that accepts the request for Zentaro's first file and never answers. The setup sets no
// time-out of its own, so it waits for the HTTP client's: 30 s by default on Windows, none at all
// in Wine's. That is longer than a test of the suite may take, so the scenario runs only when
// ORVELLA_MEASURE_HANG is set (make reliability MEASURE_HANG=1). It records how long the setup
// waited, and asserts what it did then: the outcome once the client gave up, or, while it still
// waits, that the wizard is there to be cancelled.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/reliability.h"
#include "support/tree_snapshot.h"
#include "support/wizard_session.h"

namespace {

using driver::CInstallOutcome;
using driver::CWizardSession;

// Ten times what Windows' HTTP client waits for a silent server (30 s) by default.
constexpr DWORD kPatienceMilliseconds = 5 * 60 * 1000;
constexpr DWORD kWaitMilliseconds = 20000;
const char kCaption[] = "Orvella - Setup";

TEST(ReliabilityHangTest, ServerThatNeverAnswers) {
    const char* wanted = getenv("ORVELLA_MEASURE_HANG");
    if (wanted == nullptr || *wanted == '\0')
        GTEST_SKIP() << "takes minutes; run with make reliability MEASURE_HANG=1";
    CInstallOutcome expected;
    expected.summary = driver::SummaryText({"Orvella", "Plovic"}, {{"Zentaro", IDS_DOWNLOAD_FAILED}});
    expected.requests = driver::RequestBodies("Zentaro", 1);
    const std::vector<std::string> plovic = driver::RequestBodies("Plovic", 4);
    expected.requests.insert(expected.requests.end(), plovic.begin(), plovic.end());
    expected.files = "Zentaro none; Plovic .CAB .ini .dat .ico; Orvella .CAB .ini .dat .ico";
    expected.manager = "Plovic Orvella";
    const std::string waiting = "still waiting on the progress page at Downloading Quorvex Zentaro";
    const std::string cancelled = "Cancel, Yes ended the setup, exit 0 | requests: Zentaro c | files: Zentaro none";
    driver::CScenarioRecord record("Server", "accepts Zentaro's first request and never answers",
                                   "when the HTTP client gives up: " + expected.Describe() +
                                       " | as long as it waits: " + waiting + "; " + cancelled);

    driver::CDownloadServerControl server;
    server.SetFaults("Zentaro c hang\n");
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, {driver::kZentaroPosition, driver::kPlovicPosition}));
    const driver::CNothingLostGuard guard(session.ScratchFolder());

    const DWORD start = GetTickCount();
    HWND page = driver::InstallToCompletion(session, kPatienceMilliseconds);
    const std::string seconds = std::to_string((GetTickCount() - start + 500) / 1000) + " s";
    if (page != nullptr) {
        const std::string summary = driver::WindowText(GetDlgItem(page, IDC_SUMMARY));
        EXPECT_EQ(driver::Finish(session), 0u);
        const CInstallOutcome observed =
            driver::ObserveInstallation(session, server, summary, {"Zentaro", "Plovic", "Orvella"});
        record.Observed("the HTTP client gave up after " + seconds +
                        " (from Next to the last page): " + observed.Describe());
        driver::ExpectOutcome(observed, expected);
        guard.Check(driver::InstallationPaths(session, {"Orvella", "Zentaro", "Plovic"}));
        return;
    }

    // The client has not given up: the wizard must still be there for the user to leave it.
    const std::string label = driver::WindowText(session.Item(IDC_CURRENT_LABEL));
    const bool onProgress = session.Item(IDC_OVERALL_PROGRESS) != nullptr;
    PostMessageA(session.SheetItem(IDCANCEL), BM_CLICK, 0, 0);
    HWND question = driver::WaitForMessageBox(session.ProcessId(), kCaption, kWaitMilliseconds);
    ASSERT_NE(question, nullptr) << "Cancel did not ask";
    driver::ClickButton(GetDlgItem(question, IDYES));
    const DWORD exitCode = session.WaitForExit(kWaitMilliseconds);
    const std::string requests = driver::DescribeRequests(server.Bodies());
    const std::string files = driver::DescribeFiles(session, {"Zentaro"});
    record.Observed("the HTTP client had not given up after " + seconds + " (from Next): " +
                    (onProgress ? "still waiting on the progress page at " + label : "not on the progress page") +
                    "; Cancel, Yes ended the setup, exit " + std::to_string(exitCode) + " | requests: " + requests +
                    " | files: " + files);
    EXPECT_TRUE(onProgress);
    EXPECT_EQ(label, "Downloading Quorvex Zentaro");
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(requests, "Zentaro c");
    EXPECT_EQ(files, "Zentaro none");
    guard.Check(driver::InstallationPaths(session, {"Zentaro"}));
}

}  // namespace
