// A whole installation through the real wizard: the download server's control folder, the
// stand-in manager of a session's folder, and the moves from the options page to the last page.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/wizard_session.h"

namespace driver {

// The download server's control folder: no faults and an empty request log before and after.
class CDownloadServerControl {
  public:
    CDownloadServerControl();
    ~CDownloadServerControl();
    CDownloadServerControl(const CDownloadServerControl&) = delete;
    CDownloadServerControl& operator=(const CDownloadServerControl&) = delete;

    void SetFaults(const std::string& rules) const;
    // The body of every request, in the order the server received them.
    std::vector<std::string> Bodies() const;
    // The request exactly as it arrived; numbering starts at 1.
    std::string RequestBytes(int number) const;

  private:
    void Reset() const;
    std::string folder_;
};

// The stand-in manager in a folder: what it is told to do, what it recorded, its window.
class CStandInManager {
  public:
    explicit CStandInManager(const std::string& folder) : folder_(folder) {}
    // The lines of CEAppMgr.cfg, e.g. "show_window=1\n".
    bool Configure(const std::string& lines) const;
    bool HasRun() const;
    // The value of the record's first "key=" line, or "" when there is none.
    std::string RecordValue(const std::string& key) const;
    std::string Record() const;

  private:
    std::string folder_;
};

// The stand-in's window of packages, once it shows; nullptr when none came within the time.
HWND WaitForStandInWindow(DWORD milliseconds);

// On the options page: ticks the sibling at the list position with a click on its box.
bool TickSibling(CWizardSession& session, int position);
// Goes on to the options page and ticks the siblings at the list positions, in order.
bool GoToOptionsAndTick(CWizardSession& session, const std::vector<int>& positions);
// Presses Next on the options page and waits until the installation has brought the wizard to
// the completion page; nullptr when it did not come.
HWND InstallToCompletion(CWizardSession& session, DWORD milliseconds = 60000);
// Whether a window is the completion page.
bool IsCompletionPage(HWND page);

// "Quorvex <name>\<name><extension>" in the manager's folder.
std::string ProductFile(const CWizardSession& session, const std::string& name, const std::string& extension);

}  // namespace driver
