// Start-up of the real setup with odd App Paths values and odd command lines. A value the setup
// cannot use ends in the start-up box; one it can use starts a wizard that installs through the
// manager at that very path. Every command line but the bare switch opens the wizard.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/driver.h"
#include "support/install_run.h"
#include "support/reliability.h"
#include "support/tree_snapshot.h"
#include "support/wizard_session.h"

namespace {

using driver::CSessionPlaces;
using driver::CWizardSession;

constexpr DWORD kWaitMilliseconds = 20000;
const char kStartupTitle[] = "Quorvex Setup";
const char kStartupText[] =
    "Setup Initialization failed.\n"
    "ActiveSync has not been installed on this machine.  Install ActiveSync 3.0 or above and try again.";
const char kRootVariable[] = "ORVELLA_SYNC_ROOT";

struct RegistryValue {
    bool present;
    std::string data;  // the bytes as stored
    DWORD type;
};

struct BadValueCase {
    const char* name;
    const char* description;
    RegistryValue (*value)();
};

RegistryValue MissingKey() {
    return {false, "", REG_SZ};
}

RegistryValue Empty() {
    return {true, std::string(1, '\0'), REG_SZ};
}

RegistryValue NoBackslash() {
    return {true, std::string("CEAppMgr.exe", 13), REG_SZ};
}

RegistryValue LongerThanTheBuffer() {
    const std::string path = "C:\\" + std::string(300, 'x') + "\\CEAppMgr.exe";
    return {true, std::string(path.c_str(), path.size() + 1), REG_SZ};
}

RegistryValue FillsTheBufferWithoutNul() {
    // 260 bytes and no terminator: the system does not hand it over in a 260-byte buffer.
    return {true, "C:\\" + std::string(257, 'a'), REG_SZ};
}

RegistryValue ExpansionLongerThanTheBuffer() {
    const std::string path = "%" + std::string(kRootVariable) + "%\\" + std::string(250, 'e') + "\\CEAppMgr.exe";
    return {true, std::string(path.c_str(), path.size() + 1), REG_EXPAND_SZ};
}

const BadValueCase kBadValues[] = {
    {"MissingKey", "the App Paths key is missing", MissingKey},
    {"Empty", "an empty value", Empty},
    {"NoBackslash", "\"CEAppMgr.exe\", no backslash", NoBackslash},
    {"LongerThanTheBuffer", "a 316-byte path, longer than the 260-byte buffer", LongerThanTheBuffer},
    {"FillsTheBufferWithoutNul", "260 bytes without a terminating NUL", FillsTheBufferWithoutNul},
    {"ExpansionLongerThanTheBuffer", "REG_EXPAND_SZ whose expansion is longer than 260 bytes",
     ExpansionLongerThanTheBuffer},
};

class ReliabilityRegistryTest : public testing::TestWithParam<BadValueCase> {};

TEST_P(ReliabilityRegistryTest, UnusableValueEndsInTheStartupBox) {
    const BadValueCase& row = GetParam();
    const std::string expected =
        std::string("box \"") + kStartupTitle + "\": " + kStartupText + " | no wizard | exit 0";
    driver::CScenarioRecord record("Registry", row.description, expected);

    driver::CAppPathsOverride appPaths;
    const RegistryValue value = row.value();
    if (value.present)
        appPaths.SetRaw(value.data.data(), static_cast<DWORD>(value.data.size()), value.type);
    else
        appPaths.Remove();
    SetEnvironmentVariableA(kRootVariable, driver::SessionScratchPath().c_str());
    driver::CScratchFolder folder("startup");
    const std::string exe = folder / "QuorvexOrvella_Setup.exe";
    ASSERT_TRUE(CopyFileA(driver::Env("ORVELLA_SETUP_EXE").c_str(), exe.c_str(), FALSE));
    const driver::CNothingLostGuard guard(folder.Path());

    driver::CSetupProcess setup;
    ASSERT_TRUE(setup.Start(exe));
    HWND box = driver::WaitForMessageBox(setup.Id(), kStartupTitle, kWaitMilliseconds);
    SetEnvironmentVariableA(kRootVariable, nullptr);
    ASSERT_NE(box, nullptr) << "no start-up box";
    const std::string text = driver::MessageBoxText(box);
    const bool wizard = driver::WaitForWizard(setup.Id(), 0) != nullptr;
    driver::ClickButton(GetDlgItem(box, IDOK));
    const DWORD exitCode = setup.WaitForExit(kWaitMilliseconds);

    record.Observed(std::string("box \"") + kStartupTitle + "\": " + text + (wizard ? " | a wizard" : " | no wizard") +
                    " | exit " + std::to_string(exitCode));
    EXPECT_EQ(text, kStartupText);
    EXPECT_FALSE(wizard);
    EXPECT_EQ(exitCode, 0u);
    guard.Check({});
}

INSTANTIATE_TEST_SUITE_P(Values,
                         ReliabilityRegistryTest,
                         testing::ValuesIn(kBadValues),
                         [](const testing::TestParamInfo<BadValueCase>& info) { return std::string(info.param.name); });

// A value the setup can use: the wizard opens and the installation reaches the manager at the path
// the value names, and nowhere else.
struct UsableValueCase {
    const char* name;
    const char* description;
    CSessionPlaces (*places)();
    driver::CInstallOutcome expected;
};

CSessionPlaces ExpandableWithVariable() {
    CSessionPlaces places;
    places.appPathsValue = "%" + std::string(kRootVariable) + "%\\CEAppMgr.exe";
    places.appPathsType = REG_EXPAND_SZ;
    return places;
}

CSessionPlaces Unterminated259Bytes() {
    // The manager's path is 259 bytes, stored without a NUL: it fits the buffer exactly. Its product
    // folder would be 262 bytes, and the stand-in's record as long, so neither can be written.
    CSessionPlaces places;
    places.managerFolder = driver::DeepSessionFolder(247);
    places.appPathsUnterminated = true;
    return places;
}

const UsableValueCase kUsableValues[] = {
    {"ExpandableWithVariable",
     "REG_EXPAND_SZ \"%ORVELLA_SYNC_ROOT%\\CEAppMgr.exe\"",
     ExpandableWithVariable,
     {driver::SummaryText({"Orvella"}, {}), {}, "Orvella .CAB .ini .dat .ico", "Orvella"}},
    {"Unterminated259Bytes",
     "a 259-byte path without a terminating NUL",
     Unterminated259Bytes,
     {driver::SummaryText({}, {{"Orvella", IDS_FOLDER_FAILED}}), {}, "Orvella none", "no record"}},
};

class ReliabilityUsableValueTest : public testing::TestWithParam<UsableValueCase> {};

TEST_P(ReliabilityUsableValueTest, WizardInstallsThroughThatPath) {
    const UsableValueCase& row = GetParam();
    driver::CScenarioRecord record("Registry", row.description, "wizard | " + row.expected.Describe());

    driver::CDownloadServerControl server;
    SetEnvironmentVariableA(kRootVariable, driver::SessionScratchPath().c_str());
    CWizardSession session(row.places());
    SetEnvironmentVariableA(kRootVariable, nullptr);
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(session.GoToOptions());
    const driver::CNothingLostGuard guard(session.ScratchFolder());

    HWND page = driver::InstallToCompletion(session);
    ASSERT_NE(page, nullptr) << "the installation never reached the last page, so the manager did not start";
    const std::string summary = driver::WindowText(GetDlgItem(page, IDC_SUMMARY));
    EXPECT_EQ(driver::Finish(session), 0u);

    const driver::CInstallOutcome observed = driver::ObserveInstallation(session, server, summary, {"Orvella"});
    record.Observed("wizard | " + observed.Describe());
    driver::ExpectOutcome(observed, row.expected);
    const driver::CStandInManager manager(session.Folder());
    if (manager.HasRun()) {
        EXPECT_EQ(manager.RecordValue("cmdline"), driver::ManagerCommandLine(session, {"Orvella"}));
    }
    guard.Check(driver::InstallationPaths(session, {"Orvella"}));
}

INSTANTIATE_TEST_SUITE_P(Values,
                         ReliabilityUsableValueTest,
                         testing::ValuesIn(kUsableValues),
                         [](const testing::TestParamInfo<UsableValueCase>& info) {
                             return std::string(info.param.name);
                         });

struct CommandLineCase {
    const char* name;
    const char* description;
    std::string arguments;
};

const CommandLineCase kCommandLines[] = {
    {"SwitchAndBlank", "\"/copyfiles \" (a blank after the switch)", "/copyfiles "},
    {"SwitchInCapitals", "\"/COPYFILES\"", "/COPYFILES"},
    {"SwitchAndArgument", "\"/copyfiles x\"", "/copyfiles x"},
    {"Empty", "an empty command line", ""},
    {"VeryLong", "\"/copyfiles\" followed by 8,000 more bytes", "/copyfiles" + std::string(8000, 'x')},
};

class ReliabilityCommandLineTest : public testing::TestWithParam<CommandLineCase> {};

TEST_P(ReliabilityCommandLineTest, OpensTheWizardAndWritesNothing) {
    const CommandLineCase& row = GetParam();
    const std::string expected = "wizard on its welcome page | no upload folder | drive unchanged | exit 0 on Cancel";
    driver::CScenarioRecord record("Command line", row.description, expected);

    const driver::CNothingLostGuard guard(driver::SessionScratchPath());
    CSessionPlaces places;
    places.arguments = row.arguments;
    CWizardSession session(places);
    ASSERT_NE(session.Sheet(), nullptr);
    const bool welcome = session.WaitForButtons(false, true) && GetDlgItem(session.Page(), IDC_WELCOME_TEXT) != nullptr;
    const bool upload = driver::FileExists(driver::JoinPath(session.ScratchFolder(), "Upload"));
    const bool cancelled = session.Cancel();
    // Only what the session itself put there: the folder, the setup and the stand-in.
    const std::vector<std::string> changes =
        guard.Check({driver::FolderEntry(session.ScratchFolder()), session.SetupPath(),
                     driver::JoinPath(session.Folder(), "CEAppMgr.exe")});

    record.Observed(std::string(welcome ? "wizard on its welcome page" : "wizard elsewhere") +
                    (upload ? " | an upload folder" : " | no upload folder") +
                    (changes.size() == 3 ? " | drive unchanged" : " | the drive changed") +
                    (cancelled ? " | exit 0 on Cancel" : " | no clean exit on Cancel"));
    EXPECT_TRUE(welcome);
    EXPECT_FALSE(upload);
    EXPECT_TRUE(cancelled);
}

INSTANTIATE_TEST_SUITE_P(Arguments,
                         ReliabilityCommandLineTest,
                         testing::ValuesIn(kCommandLines),
                         [](const testing::TestParamInfo<CommandLineCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
