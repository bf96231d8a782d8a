// What the reliability suites share: the record of each scenario for docs/RELIABILITY.md, the
// texts that describe an installation's outcome in one line, and the outside conditions the
// scenarios set up (no server, a manager still running).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "support/install_run.h"
#include "support/wizard_session.h"

namespace driver {

// The product names in list order and the sibling positions the scenarios tick.
constexpr int kZentaroPosition = 1;
constexpr int kPlovicPosition = 2;
extern const char* const kFileCodes[4];
extern const char* const kFileExtensions[4];

// The scratch folder of a wizard session, known before the session makes it.
std::string SessionScratchPath();

// Folders below the session's scratch folder, for CSessionPlaces, such that the deepest with its
// trailing backslash is exactly `length` bytes long.
std::string DeepSessionFolder(size_t length);

// One scenario of the matrix. When it goes out of scope it appends a line to reliability.txt in
// the artifact folder: group, scenario, expected, observed and whether the test passed so far.
class CScenarioRecord {
  public:
    CScenarioRecord(std::string group, std::string scenario, std::string expected);
    ~CScenarioRecord();
    CScenarioRecord(const CScenarioRecord&) = delete;
    CScenarioRecord& operator=(const CScenarioRecord&) = delete;
    void Observed(const std::string& text) { observed_ = text; }

  private:
    std::string group_;
    std::string scenario_;
    std::string expected_;
    std::string observed_ = "(the scenario stopped before its outcome)";
};

// The completion page's text for products installed and products failed with a string-table ID,
// each list in catalogue order.
std::string SummaryText(const std::vector<std::string>& installed,
                        const std::vector<std::pair<std::string, UINT>>& failed);
// A summary in one line: "installed: Orvella, Plovic; failed: Zentaro 6".
std::string DescribeSummary(const std::string& summary);
// The server's requests in one line: "Zentaro c i; Plovic c i d ic", or "none".
std::string DescribeRequests(const std::vector<std::string>& bodies);
// The request bodies of a product's first files, in order.
std::vector<std::string> RequestBodies(const std::string& product, int files);
// Which files of each product lie in its folder and how they compare with what the server holds
// (the setup itself, for the main product): "Zentaro .CAB .ini(part); Orvella none", where a part
// is a shorter start of the right file.
std::string DescribeFiles(const CWizardSession& session, const std::vector<std::string>& products);
// The .ini files the manager received, by product: "Plovic Orvella", "its own path alone", or
// "no record" when the stand-in left none (it did not run, or could not write beside itself).
std::string DescribeManager(const CStandInManager& manager);
// The manager's command line for the given products, in the order given.
std::string ManagerCommandLine(const CWizardSession& session, const std::vector<std::string>& products);

// What an installation scenario looks at, comparable field by field and described in one line.
struct CInstallOutcome {
    std::string summary;
    std::vector<std::string> requests;
    std::string files;
    std::string manager;
    std::string Describe() const;
};
// The outcome as it is now; summary is the completion page's text, files those of the products.
CInstallOutcome ObserveInstallation(const CWizardSession& session,
                                    const CDownloadServerControl& server,
                                    const std::string& summary,
                                    const std::vector<std::string>& products);
void ExpectOutcome(const CInstallOutcome& observed, const CInstallOutcome& expected);

// The files an installation may write: every file of the products in the manager's folder, the
// folders themselves and the stand-in's record.
std::vector<std::string> InstallationPaths(const CWizardSession& session, const std::vector<std::string>& products);

// The stand-in manager started from a folder, found among the running processes; the handle can
// wait for it. nullptr when none runs.
HANDLE OpenManagerProcess(const std::string& folder);

// Presses Finish on the completion page and waits for the setup's exit code.
DWORD Finish(CWizardSession& session);

}  // namespace driver
