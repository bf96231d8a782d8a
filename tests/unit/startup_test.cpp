// Start-up: the channel from the file name, the command-line switch, and the application
// manager's location read from the real registry of the test prefix.
#include <gtest/gtest.h>

#include <string>

#include "app/config.h"
#include "app/setup.h"
#include "controls/hyperlink.h"
#include "res/resource.h"
#include "support/driver.h"

namespace {

struct PathCase {
    const char* name;
    const char* path;
    DistributorId expected;
};

const PathCase kPathCases[] = {
    {"MakerCopy", "C:\\Setups\\QuorvexOrvella_Setup.exe", DIST_DIRECT},
    {"EachStore_HG", "C:\\Setups\\QuorvexOrvella_HG_Setup.exe", DIST_HANDANGO},
    {"EachStore_PG", "C:\\Setups\\QuorvexOrvella_PG_Setup.exe", DIST_POCKETGEAR},
    {"EachStore_PL", "C:\\Setups\\QuorvexOrvella_PL_Setup.exe", DIST_POCKETLAND},
    {"EachStore_CA", "C:\\Setups\\QuorvexOrvella_CA_Setup.exe", DIST_CLICKAPPS},
    {"EachStore_MH", "C:\\Setups\\QuorvexOrvella_MH_Setup.exe", DIST_MOBIHAND},
    {"SmallLetters", "C:\\Setups\\QuorvexOrvella_pg_setup.exe", DIST_POCKETGEAR},
    {"BothMhAndHgTakesHgFirst", "C:\\Setups\\QuorvexOrvella_MH_HG_Setup.exe", DIST_HANDANGO},
    {"SuffixOnlyInFolder", "C:\\Shop_PL\\QuorvexOrvella_Setup.exe", DIST_POCKETLAND},
    {"SuffixWithoutUnderscoreIsNone", "C:\\HG\\QuorvexOrvellaPG_Setup.exe", DIST_DIRECT},
    {"Empty", "", DIST_DIRECT},
};

class DistributorFromPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(DistributorFromPathTest, FindsFirstSuffixAnywhereInPath) {
    EXPECT_EQ(DistributorFromPath(GetParam().path), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         DistributorFromPathTest,
                         testing::ValuesIn(kPathCases),
                         [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST(CommandLineTest, OnlyTheBareSwitchSelectsCopyMode) {
    EXPECT_TRUE(IsCopyModeCommandLine("/copyfiles"));
    for (const char* other : {"", "/copyfiles ", "/COPYFILES", "/copyfiles x", " /copyfiles", "/copyfile", "copyfiles"})
        EXPECT_FALSE(IsCopyModeCommandLine(other)) << "'" << other << "'";
    EXPECT_FALSE(IsCopyModeCommandLine(nullptr));
}

// Each case writes the App Paths value of the test prefix and restores it afterwards.
class FindAppMgrTest : public testing::Test {
  protected:
    void SetUp() override {
        g_setupConfig.appMgrPath.clear();
        g_setupConfig.appMgrDir.clear();
    }
    driver::CAppPathsOverride appPaths_;
};

TEST_F(FindAppMgrTest, PlainValueGivesPathAndFolder) {
    appPaths_.Set("C:\\Program Files\\Sync\\CEAppMgr.exe");
    ASSERT_TRUE(FindAppMgr());
    EXPECT_EQ(g_setupConfig.appMgrPath, "C:\\Program Files\\Sync\\CEAppMgr.exe");
    EXPECT_EQ(g_setupConfig.appMgrDir, "C:\\Program Files\\Sync\\");
}

TEST_F(FindAppMgrTest, ExpandableValueIsExpanded) {
    SetEnvironmentVariableA("ORVELLA_SYNC_ROOT", "C:\\Sync Root");
    appPaths_.Set("%ORVELLA_SYNC_ROOT%\\Bin\\CEAppMgr.exe", REG_EXPAND_SZ);
    ASSERT_TRUE(FindAppMgr());
    EXPECT_EQ(g_setupConfig.appMgrPath, "C:\\Sync Root\\Bin\\CEAppMgr.exe");
    EXPECT_EQ(g_setupConfig.appMgrDir, "C:\\Sync Root\\Bin\\");
}

TEST_F(FindAppMgrTest, RefusesMissingEmptyAndFolderlessValues) {
    appPaths_.Remove();
    EXPECT_FALSE(FindAppMgr()) << "missing key";
    appPaths_.Set("");
    EXPECT_FALSE(FindAppMgr()) << "empty value";
    appPaths_.Set("CEAppMgr.exe");
    EXPECT_FALSE(FindAppMgr()) << "no backslash";
    appPaths_.Set("C:\\" + std::string(300, 'x') + "\\CEAppMgr.exe");
    EXPECT_FALSE(FindAppMgr()) << "longer than the buffer";
    EXPECT_TRUE(g_setupConfig.appMgrPath.empty());
}

// A value that fills the whole buffer has no room for a terminator. Wine refuses to return it
// (more data); a system that returns it must not read past the buffer either way.
TEST_F(FindAppMgrTest, ValueFillingBufferWithoutTerminatorIsNotReadPastIt) {
    for (const size_t length : {size_t{kTextBufferSize - 1}, size_t{kTextBufferSize}}) {
        SCOPED_TRACE(length);
        g_setupConfig.appMgrPath.clear();
        const std::string value = "C:\\" + std::string(length - 3, 'a');
        appPaths_.SetRaw(value.data(), static_cast<DWORD>(value.size()), REG_SZ);
        if (FindAppMgr()) {
            EXPECT_EQ(g_setupConfig.appMgrPath, value);
            EXPECT_EQ(g_setupConfig.appMgrDir, "C:\\");
        } else {
            EXPECT_EQ(length, static_cast<size_t>(kTextBufferSize)) << "a value that fits must be read";
            EXPECT_TRUE(g_setupConfig.appMgrPath.empty());
        }
    }
}

TEST_F(FindAppMgrTest, ExpansionThatDoesNotFitFailsInsteadOfCutting) {
    SetEnvironmentVariableA("ORVELLA_LONG_ROOT", ("C:\\" + std::string(250, 'b')).c_str());
    appPaths_.Set("%ORVELLA_LONG_ROOT%\\CEAppMgr.exe", REG_EXPAND_SZ);
    EXPECT_FALSE(FindAppMgr());
    EXPECT_TRUE(g_setupConfig.appMgrPath.empty());
}

TEST(AppMgrDirTest, KeepsEverythingUpToTheLastBackslash) {
    std::string dir;
    ASSERT_TRUE(AppMgrDirFromPath("C:\\a\\b\\CEAppMgr.exe", dir));
    EXPECT_EQ(dir, "C:\\a\\b\\");
    ASSERT_TRUE(AppMgrDirFromPath("\\CEAppMgr.exe", dir));
    EXPECT_EQ(dir, "\\");
    EXPECT_FALSE(AppMgrDirFromPath("C:CEAppMgr.exe", dir));
}

TEST(StaticInitTest, TitleAndLinkAtomExistBeforeMain) {
    EXPECT_EQ(g_wizardTitle, "Quorvex ");
    ASSERT_NE(CHyperLink::propertyAtom, 0);
    char name[128] = {};
    GlobalGetAtomNameA(CHyperLink::propertyAtom, name, sizeof(name));
    EXPECT_STREQ(name, CHyperLink::kPropertyName);
    EXPECT_EQ(strlen(CHyperLink::kPropertyName), 65u);
}

TEST(LoadResourceStringTest, LoadsTheWholeEntry) {
    std::string text;
    LoadResourceString(IDS_APPMGR_MISSING, text);
    EXPECT_EQ(text,
              "ActiveSync has not been installed on this machine.  Install ActiveSync 3.0 or above and try again.");
    LoadResourceString(9999, text);
    EXPECT_EQ(text, "") << "a missing entry gives an empty text";
}

}  // namespace
