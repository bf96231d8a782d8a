// Names the copy mode derives from the setup's own path.
#include <gtest/gtest.h>

#include "app/copy_mode.h"

namespace {

TEST(CopyModeNamesTest, UploadFolderSitsBesideTheSetup) {
    EXPECT_EQ(UploadFolderFromModulePath("C:\\Dist\\QuorvexOrvella_Setup.exe"), "C:\\Dist\\Upload");
    EXPECT_EQ(UploadFolderFromModulePath("C:\\QuorvexOrvella_Setup.exe"), "C:\\Upload");
    EXPECT_EQ(UploadFolderFromModulePath("QuorvexOrvella_Setup.exe"), "");
}

TEST(CopyModeNamesTest, OneCopyPerStoreThenTheMakersOwn) {
    const std::vector<std::string> expected = {
        "D\\Upload\\QuorvexOrvella_HG_Setup.exe", "D\\Upload\\QuorvexOrvella_PG_Setup.exe",
        "D\\Upload\\QuorvexOrvella_PL_Setup.exe", "D\\Upload\\QuorvexOrvella_CA_Setup.exe",
        "D\\Upload\\QuorvexOrvella_MH_Setup.exe", "D\\Upload\\QuorvexOrvella_Setup.exe",
    };
    EXPECT_EQ(ChannelCopyPaths("D\\Upload", "Orvella"), expected);
}

}  // namespace
