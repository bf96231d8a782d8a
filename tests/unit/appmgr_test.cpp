// The application manager's interface: the product folders and files beside it, its command line,
// and starting it for real (the stand-in manager) and waiting for its end.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "install/appmgr.h"
#include "install_fixture.h"

namespace {

const char kManagerDir[] = "C:\\Program Files\\ActiveSync\\";

CSetupConfig ManagerConfig() {
    CSetupConfig config;
    config.FillCatalogue();
    config.appMgrDir = kManagerDir;
    config.appMgrPath = std::string(kManagerDir) + "CEAppMgr.exe";
    return config;
}

bool ProcessRunning(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    CloseHandle(snapshot);
    return found;
}

TEST(AppMgrPathTest, FolderAndFilesStandBesideTheManager) {
    const CSetupConfig config = ManagerConfig();
    EXPECT_EQ(ProductFolderPath(config, 3), "C:\\Program Files\\ActiveSync\\Quorvex Yarnex");
    const struct {
        int row;
        const char* extension;
        const char* path;
    } kCases[] = {
        {0, ".ini", "C:\\Program Files\\ActiveSync\\Quorvex Orvella\\Orvella.ini"},
        {1, ".CAB", "C:\\Program Files\\ActiveSync\\Quorvex Zentaro\\Zentaro.CAB"},
        {2, ".dat", "C:\\Program Files\\ActiveSync\\Quorvex Plovic\\Plovic.dat"},
        {4, ".ico", "C:\\Program Files\\ActiveSync\\Quorvex Brisko\\Brisko.ico"},
    };
    for (const auto& entry : kCases)
        EXPECT_EQ(ProductFilePath(config, entry.row, entry.extension), entry.path);
    EXPECT_STREQ(kSetupFileExtensions[0], ".CAB");
    EXPECT_STREQ(kSetupFileExtensions[1], ".ini");
    EXPECT_STREQ(kSetupFileExtensions[2], ".dat");
    EXPECT_STREQ(kSetupFileExtensions[3], ".ico");
}

struct CommandLineCase {
    const char* name;
    unsigned installedRows;  // bit n for row n
    unsigned selectedRows;
    const char* expected;
};

#define MANAGER "\"C:\\Program Files\\ActiveSync\\CEAppMgr.exe\" "
#define INI(name) "\"C:\\Program Files\\ActiveSync\\Quorvex " name "\\" name ".ini\" "

const CommandLineCase kCommandLineCases[] = {
    {"NothingInstalledLeavesTheManagerAlone", 0x00, 0x00, MANAGER},
    {"MainProductAlone", 0x01, 0x00, MANAGER INI("Orvella")},
    {"SiblingsFirstLaterRowFirstMainLast", 0x0B, 0x0A, MANAGER INI("Yarnex") INI("Zentaro") INI("Orvella")},
    {"AllFive", 0x1F, 0x1E, MANAGER INI("Brisko") INI("Yarnex") INI("Plovic") INI("Zentaro") INI("Orvella")},
    {"SiblingWithoutMainProduct", 0x04, 0x04, MANAGER INI("Plovic")},
    {"SelectedButNotInstalledIsLeftOut", 0x01, 0x16, MANAGER INI("Orvella")},
};

#undef MANAGER
#undef INI

class AppMgrCommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(AppMgrCommandLineTest, QuotesEveryPathAndEndsInABlank) {
    CSetupConfig config = ManagerConfig();
    for (int row = 0; row < kProductCount; ++row) {
        config.products[row].installed = (GetParam().installedRows >> row) & 1;
        config.products[row].selected = (GetParam().selectedRows >> row) & 1;
    }
    EXPECT_EQ(BuildAppMgrCommandLine(config), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows,
                         AppMgrCommandLineTest,
                         testing::ValuesIn(kCommandLineCases),
                         [](const testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

// The stand-in takes its time before it ends; the call must not come back while it still runs.
TEST(RunAppMgrTest, HandsTheLineOverUnchangedAndWaitsForTheEnd) {
    const CStandInAppMgr manager("run");
    ASSERT_TRUE(driver::WriteFileBytes(manager.Dir() + "CEAppMgr.cfg", "delay_ms=1500\r\n"));
    const std::string line = "\"" + manager.Path() + "\" \"" + manager.Dir() + "Quorvex Orvella\\Orvella.ini\" ";

    ASSERT_TRUE(RunAppMgr(line));
    EXPECT_FALSE(ProcessRunning("CEAppMgr.exe"));
    EXPECT_EQ(manager.CommandLine(), line);
}

TEST(RunAppMgrTest, ManagerThatCannotStartIsReported) {
    const driver::CScratchFolder folder("no-manager");
    EXPECT_FALSE(RunAppMgr("\"" + folder / "CEAppMgr.exe" + "\" "));
}

}  // namespace
