// The disk in the way of the real setup: a read-only target, a plain file where a product folder
// goes, the manager's folder gone, paths at the 260-byte limit, and folder names with blanks and
// characters of the ANSI code page beyond ASCII. Each product ends with the reason its own path
// deserves, and nothing else on the drive changes.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
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
using driver::CSessionPlaces;
using driver::CWizardSession;

constexpr DWORD kWaitMilliseconds = 20000;
const char kCaption[] = "Orvella - Setup";
const char kManagerMissing[] =
    "ActiveSync has not been installed on this machine.  Install ActiveSync 3.0 or above and try again.";
const char kAllFiles[] = " .CAB .ini .dat .ico";

// "Prüfung" in the ANSI code page the setup runs with.
std::string AnsiWord() {
    char text[32] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, L"Pr\u00fcfung", -1, text, sizeof(text), nullptr, &lossy);
    return lossy ? std::string() : std::string(text);
}

struct DiskCase {
    const char* name;
    const char* description;
    CSessionPlaces (*places)();
    // Put in the manager's folder before the installation; stays as it is.
    const char* plainFile;
    const char* readOnlyFile;
    CInstallOutcome expected;
};

CSessionPlaces Default() {
    return {};
}

CSessionPlaces DeepAllPathsFit() {
    // The longest file path, "<folder>Quorvex Orvella\Orvella.CAB", is 259 bytes.
    CSessionPlaces places;
    places.managerFolder = driver::DeepSessionFolder(232);
    return places;
}

CSessionPlaces DeepFilePathsTooLong() {
    // The folders fit; every file path is 261 bytes, one more than the system takes.
    CSessionPlaces places;
    places.managerFolder = driver::DeepSessionFolder(234);
    return places;
}

CSessionPlaces DeepFolderPathsTooLong() {
    // Each product folder would be 261 bytes; the manager itself is 258.
    CSessionPlaces places;
    places.managerFolder = driver::DeepSessionFolder(246);
    return places;
}

CSessionPlaces AnsiAndBlanks() {
    CSessionPlaces places;
    places.setupFolder = "Setup " + AnsiWord() + " Ordner";
    places.managerFolder = "Sync " + AnsiWord() + "\\Bin Ordner";
    return places;
}

std::string Files(const std::string& zentaro, const std::string& orvella) {
    return "Zentaro" + zentaro + "; Orvella" + orvella;
}

const DiskCase kCases[] = {
    {"ReadOnlyMainFile",
     "the main product's Orvella.ini exists read-only",
     Default,
     nullptr,
     "Quorvex Orvella\\Orvella.ini",
     {driver::SummaryText({"Zentaro"}, {{"Orvella", IDS_COPY_FAILED}}), driver::RequestBodies("Zentaro", 4),
      Files(kAllFiles, " .CAB .ini(differs)"), "Zentaro"}},
    {"PlainFileForSiblingFolder",
     "a plain file named \"Quorvex Zentaro\" where Zentaro's folder goes",
     Default,
     "Quorvex Zentaro",
     nullptr,
     {driver::SummaryText({"Orvella"}, {{"Zentaro", IDS_FOLDER_FAILED}}), {}, Files(" none", kAllFiles), "Orvella"}},
    {"PlainFileForMainFolder",
     "a plain file named \"Quorvex Orvella\" where the main product's folder goes",
     Default,
     "Quorvex Orvella",
     nullptr,
     {driver::SummaryText({"Zentaro"}, {{"Orvella", IDS_FOLDER_FAILED}}), driver::RequestBodies("Zentaro", 4),
      Files(kAllFiles, " none"), "Zentaro"}},
    {"DeepFolderEveryPathFits",
     "manager folder of 232 bytes: the longest file path is 259 bytes",
     DeepAllPathsFit,
     nullptr,
     nullptr,
     {driver::SummaryText({"Orvella", "Zentaro"}, {}), driver::RequestBodies("Zentaro", 4), Files(kAllFiles, kAllFiles),
      "Zentaro Orvella"}},
    {"DeepFolderFilePathsTooLong",
     "manager folder of 234 bytes: product folders of 249 bytes, file paths of 261",
     DeepFilePathsTooLong,
     nullptr,
     nullptr,
     {driver::SummaryText({}, {{"Orvella", IDS_COPY_FAILED}, {"Zentaro", IDS_COPY_FAILED}}),
      driver::RequestBodies("Zentaro", 1), Files(" none", " none"), "its own path alone"}},
    {"DeepFolderFolderPathsTooLong",
     "manager folder of 246 bytes: product folders of 261 bytes",
     DeepFolderPathsTooLong,
     nullptr,
     nullptr,
     // The stand-in's record would be as long as a product folder, so it cannot leave one.
     {driver::SummaryText({}, {{"Orvella", IDS_FOLDER_FAILED}, {"Zentaro", IDS_FOLDER_FAILED}}),
      {},
      Files(" none", " none"),
      "no record"}},
    {"AnsiCharactersAndBlanks",
     "setup in \"Setup Pr\xFC"
     "fung Ordner\", manager in \"Sync Pr\xFC"
     "fung\\Bin Ordner\" (code page 1252)",
     AnsiAndBlanks,
     nullptr,
     nullptr,
     {driver::SummaryText({"Orvella", "Zentaro"}, {}), driver::RequestBodies("Zentaro", 4), Files(kAllFiles, kAllFiles),
      "Zentaro Orvella"}},
};

class ReliabilityDiskTest : public testing::TestWithParam<DiskCase> {};

TEST_P(ReliabilityDiskTest, EachProductEndsAsItsPathDeserves) {
    const DiskCase& row = GetParam();
    driver::CScenarioRecord record("Disk", row.description, row.expected.Describe());
    if (row.places == AnsiAndBlanks && AnsiWord().empty())
        GTEST_SKIP() << "the ANSI code page has no u with diaeresis";

    driver::CDownloadServerControl server;
    CWizardSession session(row.places());
    ASSERT_NE(session.Sheet(), nullptr);
    const std::string folder = session.Folder();
    std::vector<std::string> allowed = driver::InstallationPaths(session, {"Orvella", "Zentaro"});
    std::string keptBytes;
    if (row.plainFile != nullptr) {
        keptBytes = "a file, not a folder";
        ASSERT_TRUE(driver::WriteFileBytes(driver::JoinPath(folder, row.plainFile), keptBytes));
    }
    if (row.readOnlyFile != nullptr) {
        const std::string path = driver::JoinPath(folder, row.readOnlyFile);
        ASSERT_TRUE(CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr));
        keptBytes = "kept";
        ASSERT_TRUE(driver::WriteFileBytes(path, keptBytes));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
        allowed.erase(std::remove(allowed.begin(), allowed.end(), path), allowed.end());
    }
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, {driver::kZentaroPosition}));
    const driver::CNothingLostGuard guard(session.ScratchFolder());

    HWND page = driver::InstallToCompletion(session);
    ASSERT_NE(page, nullptr) << "the installation never reached the last page";
    const std::string summary = driver::WindowText(GetDlgItem(page, IDC_SUMMARY));
    EXPECT_EQ(driver::Finish(session), 0u);

    const CInstallOutcome observed = driver::ObserveInstallation(session, server, summary, {"Zentaro", "Orvella"});
    record.Observed(observed.Describe());
    driver::ExpectOutcome(observed, row.expected);
    const char* kept = row.plainFile != nullptr ? row.plainFile : row.readOnlyFile;
    if (kept != nullptr) {
        EXPECT_EQ(driver::ReadFileBytes(driver::JoinPath(folder, kept)), keptBytes);
    }
    const driver::CStandInManager manager(folder);
    if (manager.HasRun()) {
        // The paths reach the manager byte for byte, blanks and code-page characters included.
        std::vector<std::string> installed;
        for (const char* product : {"Zentaro", "Orvella"}) {
            if (observed.manager.find(product) != std::string::npos)
                installed.push_back(product);
        }
        EXPECT_EQ(manager.RecordValue("cmdline"), driver::ManagerCommandLine(session, installed));
    }
    guard.Check(allowed);
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         ReliabilityDiskTest,
                         testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DiskCase>& info) { return std::string(info.param.name); });

// App Paths leads into a folder that does not exist: no product folder can be made, the manager
// cannot start, its warning comes once, and the wizard stays on the progress page until the user
// cancels. Nothing is written anywhere.
TEST(ReliabilityManagerGoneTest, WarningOnceThenTheProgressPageWaitsForCancel) {
    const std::string expected = "warning \"" + std::string(kCaption) + "\": " + kManagerMissing +
                                 " | then: progress page, Back and Next disabled, Cancel enabled | requests: none | "
                                 "drive unchanged";
    driver::CScenarioRecord record("Disk", "App Paths leads into a folder that does not exist", expected);

    driver::CDownloadServerControl server;
    CSessionPlaces places;
    places.appPathsValue = "gone\\CEAppMgr.exe";
    places.appPathsInScratch = true;
    CWizardSession session(places);
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, {driver::kZentaroPosition}));
    const driver::CNothingLostGuard guard(session.ScratchFolder());

    ASSERT_TRUE(session.Next());
    HWND box = driver::WaitForMessageBox(session.ProcessId(), kCaption, kWaitMilliseconds);
    ASSERT_NE(box, nullptr) << "no warning";
    const std::string title = driver::WindowText(box);
    const std::string text = driver::MessageBoxText(box);
    EXPECT_EQ(text, kManagerMissing);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "the warning has no owner";
    EXPECT_TRUE(IsWindowEnabled(session.Sheet())) << "so the wizard stays usable";
    driver::ClickButton(GetDlgItem(box, IDOK));
    ASSERT_TRUE(driver::WaitUntil([&] { return !IsWindow(box); }));

    HWND page = session.Page();
    const bool onProgress = GetDlgItem(page, IDC_OVERALL_PROGRESS) != nullptr;
    const bool buttons = session.WaitForButtons(false, false) && IsWindowEnabled(session.SheetItem(IDCANCEL));
    EXPECT_TRUE(onProgress);
    EXPECT_TRUE(buttons);
    EXPECT_EQ(driver::WaitForMessageBox(session.ProcessId(), kCaption, 1000), nullptr) << "the warning came twice";
    EXPECT_EQ(session.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    // Neither product moved the overall bar.
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_OVERALL_PROGRESS, PBM_GETPOS, 0, 0), 0);

    PostMessageA(session.SheetItem(IDCANCEL), BM_CLICK, 0, 0);
    HWND question = driver::WaitForMessageBox(session.ProcessId(), kCaption, kWaitMilliseconds);
    ASSERT_NE(question, nullptr) << "Cancel did not ask";
    driver::ClickButton(GetDlgItem(question, IDYES));
    EXPECT_EQ(session.WaitForExit(kWaitMilliseconds), 0u);

    const std::vector<std::string> changes = guard.Check({});
    const std::string requests = driver::DescribeRequests(server.Bodies());
    EXPECT_EQ(requests, "none");
    record.Observed(
        "warning \"" + title + "\": " + text + " | then: " + (onProgress ? "progress page" : "another page") +
        (buttons ? ", Back and Next disabled, Cancel enabled" : ", other buttons") + " | requests: " + requests +
        " | " + (changes.empty() ? "drive unchanged" : std::to_string(changes.size()) + " changes on the drive"));
}

}  // namespace
