// What the install engine's suites share: the progress page made from its real template with its
// controls recorded, the configuration set up for one test and restored afterwards, the download
// server's control folder, the proxy setting and a copy of the stand-in application manager.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/config.h"
#include "support/driver.h"

struct CControlMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Template 105 created as a dialog owned by a top-level window of the test that plays the sheet.
// Everything the bars and the label receive, and every PSM_PRESSBUTTON the sheet receives, is
// recorded on this thread.
class CProgressPage {
  public:
    CProgressPage();
    ~CProgressPage();
    CProgressPage(const CProgressPage&) = delete;
    CProgressPage& operator=(const CProgressPage&) = delete;

    HWND Page() const { return page_; }
    HWND Sheet() const { return sheet_; }

    const std::vector<CControlMessage>& Overall() const { return overall_; }
    const std::vector<CControlMessage>& Current() const { return current_; }
    const std::vector<std::string>& Labels() const { return labels_; }
    const std::vector<CControlMessage>& Presses() const { return presses_; }

    // The positions set on the current bar, in order; joined with commas for messages.
    std::vector<int> CurrentPositions() const;
    static std::string Join(const std::vector<int>& positions);
    int OverallSteps() const;
    // Where the real overall bar stands now, and its upper limit.
    int OverallPosition() const;
    int OverallLimit() const;

    // Runs the thread procedure on a thread of its own while this thread dispatches messages, as
    // the wizard's loop does; poll runs between messages. Returns the thread's result.
    DWORD RunWorker(LPTHREAD_START_ROUTINE procedure, void* argument, const std::function<void()>& poll = {});

  private:
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
    std::vector<CControlMessage> overall_;
    std::vector<CControlMessage> current_;
    std::vector<std::string> labels_;
    std::vector<CControlMessage> presses_;
};

// The filled catalogue sold directly, the manager in the given folder; the whole configuration is
// put back when the object goes.
class CConfigScope {
  public:
    explicit CConfigScope(const std::string& appMgrDir);
    ~CConfigScope();

  private:
    CSetupConfig saved_;
};

// The download server's control folder: no faults and an empty request log before and after.
class CServerControl {
  public:
    CServerControl();
    ~CServerControl();
    void SetFaults(const std::string& rules) const;
    // One entry per request, "product/e-code", in the order the server received them.
    std::vector<std::string> RequestedFiles() const;
    // The request exactly as it arrived; numbering starts at 1.
    std::string RequestBytes(int number) const;

  private:
    void Reset() const;
    std::string folder_;
};

// A copy of the stand-in CEAppMgr.exe in a scratch folder whose name holds a blank, as under
// "Program Files". appMgrDir and appMgrPath of CConfigScope point at it.
class CStandInAppMgr {
  public:
    explicit CStandInAppMgr(const std::string& name);
    const std::string& Dir() const { return dir_; }
    std::string Path() const { return dir_ + "CEAppMgr.exe"; }
    std::string Record() const;
    // The value of the record's cmdline= line, or "" when the manager has not run.
    std::string CommandLine() const;

  private:
    driver::CScratchFolder folder_;
    std::string dir_;
};

std::string SiblingAsset(const std::string& product, const char* extension);
// The bytes of a SETUP_DATA resource of this module.
std::string SetupData(const char* name);
