// Writing the main product's embedded setup files into its folder beside the manager, watched
// through the real progress page.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/setup.h"
#include "install/appmgr.h"
#include "install/setup_files.h"
#include "install_fixture.h"
#include "res/resource.h"

namespace {

const char kChildFolderVariable[] = "ORVELLA_CHILD_MANAGER_DIR";
const char kChildTest[] = "SetupFilesChild.DISABLED_WritesWithThisModulesResources";

class SetupFilesTest : public testing::Test {
  protected:
    std::string Target(const char* extension) const { return ProductFilePath(g_setupConfig, 0, extension); }
    CProductInfo& Main() const { return g_setupConfig.products[0]; }

    driver::CScratchFolder folder_{"setup-files"};
    CConfigScope config_{folder_.Path() + "\\"};
    CProgressPage page_;
};

TEST_F(SetupFilesTest, ExistingFolderIsReusedAndEveryFileOverwritten) {
    ASSERT_TRUE(CreateDirectoryA(ProductFolderPath(g_setupConfig, 0).c_str(), nullptr));
    // Longer than the .ini, so a file that was not truncated would keep a stale tail.
    const std::string stale(1000, 'x');
    for (const char* extension : kSetupFileExtensions)
        ASSERT_TRUE(driver::WriteFileBytes(Target(extension), stale));
    Main().failureId = IDS_COPY_FAILED;

    EXPECT_TRUE(WriteSetupFiles(page_.Page(), g_setupConfig));

    for (const char* extension : kSetupFileExtensions)
        EXPECT_TRUE(driver::ReadFileBytes(Target(extension)) == SetupData((std::string("PROGRAM") + extension).c_str()))
            << extension;
    EXPECT_EQ(driver::ReadFileBytes(Target(".ini")).size(), 201u);
    EXPECT_TRUE(Main().installed);
    EXPECT_EQ(Main().failureId, 0u);
    EXPECT_EQ(page_.Labels(), std::vector<std::string>{"Copying Quorvex Orvella"});
    EXPECT_EQ(page_.CurrentPositions(), (std::vector<int>{0, 25, 50, 75, 100}));
    EXPECT_EQ(page_.OverallSteps(), 1);
}

TEST_F(SetupFilesTest, MissingManagerFolderWritesNothing) {
    g_setupConfig.appMgrDir = folder_ / "gone\\";

    EXPECT_FALSE(WriteSetupFiles(page_.Page(), g_setupConfig));

    EXPECT_EQ(Main().failureId, static_cast<UINT>(IDS_FOLDER_FAILED));
    EXPECT_FALSE(Main().installed);
    EXPECT_FALSE(driver::FileExists(folder_ / "gone"));
    EXPECT_EQ(page_.Labels(), std::vector<std::string>{"Copying Quorvex Orvella"});
    EXPECT_TRUE(page_.CurrentPositions().empty());
    EXPECT_EQ(page_.OverallSteps(), 0);
}

TEST_F(SetupFilesTest, ReadOnlyTargetStopsTheCopyAndKeepsEarlierFiles) {
    ASSERT_TRUE(CreateDirectoryA(ProductFolderPath(g_setupConfig, 0).c_str(), nullptr));
    ASSERT_TRUE(driver::WriteFileBytes(Target(".ini"), "kept"));
    ASSERT_TRUE(SetFileAttributesA(Target(".ini").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_FALSE(WriteSetupFiles(page_.Page(), g_setupConfig));

    EXPECT_EQ(Main().failureId, static_cast<UINT>(IDS_COPY_FAILED));
    EXPECT_FALSE(Main().installed);
    EXPECT_TRUE(driver::ReadFileBytes(Target(".CAB")) == SetupData("PROGRAM.CAB"));
    EXPECT_EQ(driver::ReadFileBytes(Target(".ini")), "kept");
    EXPECT_FALSE(driver::FileExists(Target(".dat")));
    EXPECT_FALSE(driver::FileExists(Target(".ico")));
    EXPECT_EQ(page_.CurrentPositions(), (std::vector<int>{0, 25}));
    EXPECT_EQ(page_.OverallSteps(), 0);
}

// WriteSetupFiles reads the running module's resources, so the case runs in a copy of this test
// program that lacks PROGRAM.DAT; the child below reports what it saw in a file.
TEST_F(SetupFilesTest, MissingResourceAfterSomeFilesKeepsThemAndFails) {
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
    const std::string copy = folder_ / "without_dat.exe";
    ASSERT_TRUE(driver::CopyExeWithoutResource(self, copy, "SETUP_DATA", "PROGRAM.DAT"));
    const std::string managerDir = folder_ / "manager\\";
    ASSERT_TRUE(CreateDirectoryA(managerDir.c_str(), nullptr));

    SetEnvironmentVariableA(kChildFolderVariable, managerDir.c_str());
    driver::CSetupProcess child;
    const bool started =
        child.Start(copy, std::string("--gtest_also_run_disabled_tests --gtest_filter=") + kChildTest, folder_.Path());
    SetEnvironmentVariableA(kChildFolderVariable, nullptr);
    ASSERT_TRUE(started);
    ASSERT_EQ(child.WaitForExit(60000), 0u);

    const std::string folder = managerDir + "Quorvex Orvella\\";
    EXPECT_EQ(driver::ReadFileBytes(managerDir + "outcome.txt"),
              "result=0 failureId=13 installed=0 positions=0,25,50 "
              "steps=0");
    EXPECT_TRUE(driver::ReadFileBytes(folder + "Orvella.CAB") == SetupData("PROGRAM.CAB"));
    EXPECT_TRUE(driver::ReadFileBytes(folder + "Orvella.ini") == SetupData("PROGRAM.INI"));
    EXPECT_FALSE(driver::FileExists(folder + "Orvella.dat"));
    EXPECT_FALSE(driver::FileExists(folder + "Orvella.ico"));
}

// Run only by the case above, inside the copy that lacks a resource.
TEST(SetupFilesChild, DISABLED_WritesWithThisModulesResources) {
    const char* managerDir = getenv(kChildFolderVariable);
    ASSERT_NE(managerDir, nullptr);
    const CConfigScope config(managerDir);
    const CProgressPage page;
    const bool result = WriteSetupFiles(page.Page(), g_setupConfig);
    const CProductInfo& main = g_setupConfig.products[0];
    char outcome[256];
    snprintf(outcome, sizeof(outcome), "result=%d failureId=%u installed=%d positions=%s steps=%d", result ? 1 : 0,
             main.failureId, main.installed ? 1 : 0, CProgressPage::Join(page.CurrentPositions()).c_str(),
             page.OverallSteps());
    ASSERT_TRUE(driver::WriteFileBytes(std::string(managerDir) + "outcome.txt", outcome));
}

}  // namespace
