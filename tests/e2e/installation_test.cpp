// One installation end to end through the real setup sold directly, with one sibling ticked: the
// requests the download server receives, the files beside the manager, the manager's command
// line, the last page and the exit code. Once with the server serving the sibling, once with the
// server refusing the sibling's second file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/wire.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

const char kSibling[] = "Plovic";
constexpr int kSiblingPosition = 2;
const char* const kExtensions[] = {".CAB", ".ini", ".dat", ".ico"};
const char* const kCodes[] = {"c", "i", "d", "ic"};
// The main product's files as the generator made them, in the order of kExtensions.
const char* const kMainAssets[] = {"PROGRAM.CAB", "PROGRAM.INI", "PROGRAM.DAT", "PROGRAM.ICO"};

struct RoadCase {
    const char* name;
    const char* faults;
    int filesServed;  // of the sibling's four, in order; the request after them is the refused one
    bool siblingInstalled;
    std::string summary;
};

const RoadCase kRoads[] = {
    {"SiblingServed", "", 4, true, "The following products have been installed:\n\n    - Orvella\n    - Plovic\n\n\n"},
    {"SiblingsSecondFileRefused", "Plovic i 404\n", 1, false,
     "The following products have been installed:\n\n    - Orvella\n\n\n"
     "The setup couldn't install the following programs:\n\n"
     "    - Plovic (Unable to contact the download server.)\n"},
};

class InstallationTest : public testing::TestWithParam<RoadCase> {};

TEST_P(InstallationTest, FromTheWelcomePageToFinish) {
    const RoadCase& road = GetParam();
    driver::CDownloadServerControl server;
    server.SetFaults(road.faults);
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, {kSiblingPosition}));
    HWND page = driver::InstallToCompletion(session);
    ASSERT_NE(page, nullptr) << "the installation never reached the last page";

    // Requests up to the first refused one; nothing after it.
    const int requested = road.filesServed + (road.filesServed < 4 ? 1 : 0);
    std::vector<std::string> bodies;
    for (int file = 0; file < requested; ++file)
        bodies.push_back(std::string("p=Orvella&d=") + kSibling + "&s=QX&v=2.3&e=" + kCodes[file]);
    ASSERT_EQ(server.Bodies(), bodies);
    for (int file = 0; file < requested; ++file)
        EXPECT_EQ(server.RequestBytes(file + 1), ExpectedRequest(bodies[file])) << "request " << file + 1;

    // The sibling's files as served, up to the refused one, which was not created.
    const std::string assets = driver::Env("ORVELLA_ASSET_DIR");
    for (int file = 0; file < 4; ++file) {
        SCOPED_TRACE(kExtensions[file]);
        const std::string target = driver::ProductFile(session, kSibling, kExtensions[file]);
        if (file < road.filesServed) {
            const std::string served =
                driver::JoinPath(assets, std::string("siblings\\") + kSibling + "\\" + kSibling + kExtensions[file]);
            ASSERT_TRUE(driver::FileExists(target));
            EXPECT_TRUE(driver::ReadFileBytes(target) == driver::ReadFileBytes(served))
                << "differs from the served file";
        } else {
            EXPECT_FALSE(driver::FileExists(target));
        }
        const std::string main = driver::ProductFile(session, "Orvella", kExtensions[file]);
        ASSERT_TRUE(driver::FileExists(main));
        EXPECT_TRUE(driver::ReadFileBytes(main) == driver::ReadFileBytes(driver::JoinPath(assets, kMainAssets[file])))
            << "the main product's file differs from the one the setup carries";
    }

    // The manager received the installed products, the sibling before the main product, and found
    // every package sound.
    const driver::CStandInManager manager(session.Folder());
    const std::string dir = session.Folder() + "\\";
    std::string commandLine = "\"" + dir + "CEAppMgr.exe\" ";
    if (road.siblingInstalled)
        commandLine += "\"" + dir + "Quorvex Plovic\\Plovic.ini\" ";
    commandLine += "\"" + dir + "Quorvex Orvella\\Orvella.ini\" ";
    EXPECT_EQ(manager.RecordValue("cmdline"), commandLine);
    EXPECT_EQ(manager.RecordValue("result"), "ok") << manager.Record();

    EXPECT_EQ(driver::WindowText(GetDlgItem(page, IDC_SUMMARY)), road.summary);
    PostMessageA(session.SheetItem(driver::kFinishButton), BM_CLICK, 0, 0);
    EXPECT_EQ(session.WaitForExit(20000), 0u);
}

INSTANTIATE_TEST_SUITE_P(Roads,
                         InstallationTest,
                         testing::ValuesIn(kRoads),
                         [](const testing::TestParamInfo<RoadCase>& info) { return std::string(info.param.name); });

}  // namespace
