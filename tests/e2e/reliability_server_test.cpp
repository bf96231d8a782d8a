// The download server misbehaving, one answer at a time, through the real setup: Zentaro and
// Plovic ticked, one fault on the first, a middle or the last file of Zentaro. Zentaro ends as
// the answer deserves, its earlier files stay and its later ones are never asked for, Plovic is
// still fetched and the main product installed. Then the server out of reach altogether.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

// What becomes of the file that the fault hits.
enum class Fate {
    kRefused,  // the answer is refused before the file is made
    kPart,     // the file is made, and the body breaks off
    kWhole,    // the answer is taken
};

struct FaultCase {
    const char* name;
    const char* rule;
    const char* description;
    Fate fate;
};

const FaultCase kFaults[] = {
    {"NotFound", "404", "status 404", Fate::kRefused},
    {"ServerError", "500", "status 500", Fate::kRefused},
    {"TypeWithParameter", "ctype application/octet-stream; charset=binary",
     "Content-Type application/octet-stream; charset=binary", Fate::kRefused},
    {"OtherType", "ctype text/html", "Content-Type text/html", Fate::kRefused},
    {"NoType", "noctype", "no Content-Type", Fate::kRefused},
    {"LengthZero", "len0", "Content-Length 0", Fate::kRefused},
    {"NoLength", "nolen", "no Content-Length, ended by closing", Fate::kRefused},
    {"Chunked", "chunked", "chunked, no Content-Length", Fate::kRefused},
    {"EmptyBody", "empty", "no body after the headers", Fate::kPart},
    {"ShortBody", "short", "half the announced body, then closed", Fate::kPart},
    {"LongBody", "long", "512 bytes more than announced", Fate::kWhole},
    {"ResetMidBody", "reset", "connection reset mid-body", Fate::kPart},
    {"ClosedWithoutAnswer", "drop", "connection closed without an answer", Fate::kRefused},
    {"SlowAnswer", "slow 1500", "answer after 1.5 s", Fate::kWhole},
};

struct PositionCase {
    const char* name;
    const char* description;
    int file;
};

const PositionCase kPositions[] = {
    {"FirstFile", "first file (.CAB)", 0},
    {"MiddleFile", "middle file (.dat)", 2},
    {"LastFile", "last file (.ico)", 3},
};

CInstallOutcome ExpectedOutcome(const FaultCase& fault, int file) {
    CInstallOutcome outcome;
    const bool taken = fault.fate == Fate::kWhole;
    if (taken) {
        outcome.summary = driver::SummaryText({"Orvella", "Zentaro", "Plovic"}, {});
        outcome.manager = "Plovic Zentaro Orvella";
    } else {
        outcome.summary = driver::SummaryText({"Orvella", "Plovic"}, {{"Zentaro", IDS_DOWNLOAD_FAILED}});
        outcome.manager = "Plovic Orvella";
    }
    outcome.requests = driver::RequestBodies("Zentaro", taken ? 4 : file + 1);
    const std::vector<std::string> plovic = driver::RequestBodies("Plovic", 4);
    outcome.requests.insert(outcome.requests.end(), plovic.begin(), plovic.end());

    std::string zentaro = "Zentaro";
    const int kept = taken ? 4 : file;
    for (int earlier = 0; earlier < kept; ++earlier)
        zentaro += std::string(" ") + driver::kFileExtensions[earlier];
    if (fault.fate == Fate::kPart)
        zentaro += std::string(" ") + driver::kFileExtensions[file] + "(part)";
    if (zentaro == "Zentaro")
        zentaro += " none";
    outcome.files = zentaro + "; Plovic .CAB .ini .dat .ico; Orvella .CAB .ini .dat .ico";
    return outcome;
}

class ReliabilityServerTest : public testing::TestWithParam<std::tuple<FaultCase, PositionCase>> {};

// One installation with Zentaro and Plovic ticked, from the options page to Finish, compared with
// the expected outcome; nothing outside the three product folders may change.
void InstallZentaroAndPlovic(driver::CDownloadServerControl& server,
                             const CInstallOutcome& expected,
                             driver::CScenarioRecord& record) {
    CWizardSession session;
    ASSERT_NE(session.Sheet(), nullptr);
    ASSERT_TRUE(driver::GoToOptionsAndTick(session, {driver::kZentaroPosition, driver::kPlovicPosition}));
    const driver::CNothingLostGuard guard(session.ScratchFolder());

    HWND page = driver::InstallToCompletion(session);
    ASSERT_NE(page, nullptr) << "the installation never reached the last page";
    const std::string summary = driver::WindowText(GetDlgItem(page, IDC_SUMMARY));
    EXPECT_EQ(driver::Finish(session), 0u);

    const CInstallOutcome observed =
        driver::ObserveInstallation(session, server, summary, {"Zentaro", "Plovic", "Orvella"});
    record.Observed(observed.Describe());
    driver::ExpectOutcome(observed, expected);
    guard.Check(driver::InstallationPaths(session, {"Orvella", "Zentaro", "Plovic"}));
}

TEST_P(ReliabilityServerTest, ZentaroEndsAsItsAnswerDeservesAndTheRestGoesOn) {
    const FaultCase& fault = std::get<0>(GetParam());
    const PositionCase& position = std::get<1>(GetParam());
    const CInstallOutcome expected = ExpectedOutcome(fault, position.file);
    driver::CScenarioRecord record("Server", std::string(fault.description) + ", on Zentaro's " + position.description,
                                   expected.Describe());

    driver::CDownloadServerControl server;
    server.SetFaults(std::string("Zentaro ") + driver::kFileCodes[position.file] + " " + fault.rule + "\n");
    InstallZentaroAndPlovic(server, expected, record);
}

INSTANTIATE_TEST_SUITE_P(Faults,
                         ReliabilityServerTest,
                         testing::Combine(testing::ValuesIn(kFaults), testing::ValuesIn(kPositions)),
                         [](const testing::TestParamInfo<std::tuple<FaultCase, PositionCase>>& info) {
                             return std::string(std::get<0>(info.param).name) + "At" + std::get<1>(info.param).name;
                         });

// The proxy leads to a port where nobody listens: no request arrives anywhere, both ticked siblings
// fail for that reason, and the main product is installed all the same.
TEST(ReliabilityNoServerTest, EveryTickedSiblingFailsAndTheMainProductIsInstalled) {
    CInstallOutcome expected;
    expected.summary =
        driver::SummaryText({"Orvella"}, {{"Zentaro", IDS_DOWNLOAD_FAILED}, {"Plovic", IDS_DOWNLOAD_FAILED}});
    expected.files = "Zentaro none; Plovic none; Orvella .CAB .ini .dat .ico";
    expected.manager = "Orvella";
    driver::CScenarioRecord record("Server", "no server at all (the proxy leads to a closed port)",
                                   expected.Describe());

    driver::CDownloadServerControl server;
    const driver::CProxyOverride proxy("127.0.0.1:1");
    // The siblings' folders are made before the first request shows that nobody answers.
    InstallZentaroAndPlovic(server, expected, record);
}

}  // namespace
