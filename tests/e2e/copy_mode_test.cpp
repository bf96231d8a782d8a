// "/copyfiles" on the real exe: the upload folder with its eight files, and the stops on the way.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include <windows.h>

#include <prsht.h>

#include "res/resource.h"
#include "support/driver.h"

namespace {

const char* const kCopyNames[] = {
    "QuorvexOrvella_HG_Setup.exe", "QuorvexOrvella_PG_Setup.exe", "QuorvexOrvella_PL_Setup.exe",
    "QuorvexOrvella_CA_Setup.exe", "QuorvexOrvella_MH_Setup.exe", "QuorvexOrvella_Setup.exe",
};
const char* const kCabinetNames[] = {"QuorvexOrvella.CAB", "QuorvexOrvella_Demo.CAB"};

class CopyModeTest : public testing::Test {
  protected:
    void SetUp() override {
        // The copy mode runs only after start-up found a manager; it never starts it.
        appPaths_.Set("C:\\Program Files\\Sync\\CEAppMgr.exe");
        ASSERT_TRUE(CopyFileA(driver::Env("ORVELLA_SETUP_EXE").c_str(), exe_.c_str(), FALSE));
        exeBytes_ = driver::ReadFileBytes(exe_);
        cabinetBytes_ = driver::ReadFileBytes(driver::JoinPath(driver::Env("ORVELLA_ASSET_DIR"), "PROGRAM.CAB"));
        ASSERT_EQ(cabinetBytes_.size(), 989440u);
    }

    void RunCopyMode(const std::string& exe) {
        driver::CSetupProcess setup;
        ASSERT_TRUE(setup.Start(exe, "/copyfiles"));
        ASSERT_EQ(setup.WaitForExit(30000), 0u);
    }

    std::string Upload(const std::string& name) const { return driver::JoinPath(folder_ / "Upload", name); }

    // Names in the upload folder, sorted by the file system's listing.
    std::vector<std::string> UploadListing() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(Upload("*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                names.push_back(entry.cFileName);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectAllEightFiles() {
        for (const char* name : kCopyNames)
            EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == exeBytes_) << name;
        for (const char* name : kCabinetNames)
            EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == cabinetBytes_) << name;
        std::vector<std::string> expected(std::begin(kCopyNames), std::end(kCopyNames));
        expected.insert(expected.end(), std::begin(kCabinetNames), std::end(kCabinetNames));
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(UploadListing(), expected);
    }

    driver::CAppPathsOverride appPaths_;
    driver::CScratchFolder folder_{"copy-mode"};
    std::string exe_ = folder_ / "QuorvexOrvella_Setup.exe";
    std::string exeBytes_;
    std::string cabinetBytes_;
};

TEST_F(CopyModeTest, WritesSixCopiesAndTwoCabinetsAgainAndAgain) {
    RunCopyMode(exe_);
    ExpectAllEightFiles();
    // Stale content is overwritten, and the existing folder is reused.
    ASSERT_TRUE(driver::WriteFileBytes(Upload(kCopyNames[2]), "old"));
    ASSERT_TRUE(driver::WriteFileBytes(Upload(kCabinetNames[1]), std::string(2000000, 'x')));
    RunCopyMode(exe_);
    ExpectAllEightFiles();
}

TEST_F(CopyModeTest, ReadOnlyCopyTargetStaysWhileTheRestIsWritten) {
    ASSERT_TRUE(CreateDirectoryA((folder_ / "Upload").c_str(), nullptr));
    const std::string locked = Upload("QuorvexOrvella_PL_Setup.exe");
    ASSERT_TRUE(driver::WriteFileBytes(locked, "keep me"));
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    RunCopyMode(exe_);
    EXPECT_TRUE(driver::ReadFileBytes(locked) == "keep me");
    for (const char* name : kCopyNames) {
        if (Upload(name) != locked) {
            EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == exeBytes_) << name;
        }
    }
    for (const char* name : kCabinetNames)
        EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == cabinetBytes_) << name;
}

// A plain file named Upload keeps the folder from being made: nothing at all may be written.
TEST_F(CopyModeTest, NothingWrittenWhenUploadCannotBeMade) {
    ASSERT_TRUE(driver::WriteFileBytes(folder_ / "Upload", "a file, not a folder"));
    RunCopyMode(exe_);
    EXPECT_TRUE(driver::ReadFileBytes(folder_ / "Upload") == "a file, not a folder");
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder_ / "*").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int entries = 0;
    do {
        ++entries;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    EXPECT_EQ(entries, 4) << ". .. the exe and the Upload file, nothing else";
}

TEST_F(CopyModeTest, WithoutCabinetResourceOnlyTheCopiesAreMade) {
    ASSERT_TRUE(driver::CopyExeWithoutResource(driver::Env("ORVELLA_SETUP_EXE"), exe_, "SETUP_DATA", "PROGRAM.CAB"));
    exeBytes_ = driver::ReadFileBytes(exe_);
    HMODULE module = LoadLibraryExA(exe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(FindResourceA(module, "PROGRAM.CAB", "SETUP_DATA"), nullptr);
    EXPECT_NE(FindResourceA(module, "PROGRAM.INI", "SETUP_DATA"), nullptr);
    FreeLibrary(module);

    RunCopyMode(exe_);
    for (const char* name : kCopyNames)
        EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == exeBytes_) << name;
    for (const char* name : kCabinetNames)
        EXPECT_FALSE(driver::FileExists(Upload(name))) << name;
}

TEST_F(CopyModeTest, FirstCabinetFailingStopsTheSecond) {
    ASSERT_TRUE(CreateDirectoryA((folder_ / "Upload").c_str(), nullptr));
    // A folder where the first cabinet should go cannot be opened as a file.
    ASSERT_TRUE(CreateDirectoryA(Upload(kCabinetNames[0]).c_str(), nullptr));
    RunCopyMode(exe_);
    for (const char* name : kCopyNames)
        EXPECT_TRUE(driver::ReadFileBytes(Upload(name)) == exeBytes_) << name;
    EXPECT_FALSE(driver::FileExists(Upload(kCabinetNames[1])));
}

// Each copy, started from the upload folder, tells its own channel on its welcome page.
TEST_F(CopyModeTest, EachCopyRunsAsItsOwnChannel) {
    RunCopyMode(exe_);
    const char* const kStores[] = {"Handango", "PocketGear", "PocketLand", "ClickApps", "MobiHand", "Quorvex"};
    for (int channel = 0; channel < 6; ++channel) {
        SCOPED_TRACE(kCopyNames[channel]);
        driver::CSetupProcess copy;
        ASSERT_TRUE(copy.Start(Upload(kCopyNames[channel])));
        HWND sheet = driver::WaitForWizard(copy.Id(), 15000);
        ASSERT_NE(sheet, nullptr);
        HWND welcome = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        EXPECT_EQ(driver::WindowText(GetDlgItem(welcome, IDC_STORE_LINK)),
                  std::string("Click here to visit Orvella information page on ") + kStores[channel] + " website");
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        EXPECT_EQ(copy.WaitForExit(15000), 0u);
    }
}

}  // namespace
