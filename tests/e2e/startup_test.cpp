// The real setup without a registered application manager: the start-up error box, whatever the
// command line, and exit code 0 after OK.
#include <gtest/gtest.h>

#include "support/driver.h"

namespace {

const char kExpectedText[] =
    "Setup Initialization failed.\n"
    "ActiveSync has not been installed on this machine.  Install ActiveSync 3.0 or above and try again.";

class StartupErrorTest : public testing::TestWithParam<const char*> {};

TEST_P(StartupErrorTest, ShowsErrorBoxAndExitsZero) {
    driver::CAppPathsOverride appPaths;
    appPaths.Remove();
    driver::CScratchFolder folder("startup-error");
    const std::string exe = folder / "QuorvexOrvella_Setup.exe";
    ASSERT_TRUE(CopyFileA(driver::Env("ORVELLA_SETUP_EXE").c_str(), exe.c_str(), FALSE));

    driver::CSetupProcess setup;
    ASSERT_TRUE(setup.Start(exe, GetParam()));
    HWND box = driver::WaitForMessageBox(setup.Id(), "Quorvex Setup", 15000);
    ASSERT_NE(box, nullptr) << "no start-up box";
    EXPECT_EQ(driver::MessageBoxText(box), kExpectedText);
    EXPECT_EQ(driver::WaitForWizard(setup.Id(), 0), nullptr);
    EXPECT_EQ(setup.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE)) << "the box must wait for OK";
    driver::ClickButton(GetDlgItem(box, IDOK));
    EXPECT_EQ(setup.WaitForExit(15000), 0u);
    // Neither mode ran: the copy mode would have made its upload folder.
    EXPECT_FALSE(driver::FileExists(folder / "Upload"));
}

INSTANTIATE_TEST_SUITE_P(CommandLines,
                         StartupErrorTest,
                         testing::Values("", "/copyfiles"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? "CopyFiles" : "NoArguments");
                         });

}  // namespace
