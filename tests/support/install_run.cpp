#include "support/install_run.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <sstream>

#include "res/resource.h"
#include "support/driver.h"
#include "support/remote_list_view.h"

namespace driver {

namespace {

const char kStandInWindowClass[] = "StandInAppMgrWindow";

}  // namespace

CDownloadServerControl::CDownloadServerControl() : folder_(Env("ORVELLA_SERVER_DIR")) {
    Reset();
}

CDownloadServerControl::~CDownloadServerControl() {
    Reset();
}

void CDownloadServerControl::Reset() const {
    RemoveTree(JoinPath(folder_, "log"));
    SetFaults("");
}

void CDownloadServerControl::SetFaults(const std::string& rules) const {
    EXPECT_TRUE(WriteFileBytes(JoinPath(folder_, "faults.txt"), rules));
}

std::vector<std::string> CDownloadServerControl::Bodies() const {
    std::vector<std::string> bodies;
    std::istringstream index(ReadFileBytes(JoinPath(folder_, "log\\index.txt")));
    std::string line;
    while (std::getline(index, line)) {
        // "NNNN METHOD TARGET BODY"
        size_t at = 0;
        for (int field = 0; field < 3 && at != std::string::npos; ++field)
            at = line.find(' ', at + (field ? 1 : 0));
        bodies.push_back(at == std::string::npos ? std::string() : line.substr(at + 1));
    }
    return bodies;
}

std::string CDownloadServerControl::RequestBytes(int number) const {
    char name[32];
    snprintf(name, sizeof(name), "log\\%04d.req", number);
    return ReadFileBytes(JoinPath(folder_, name));
}

bool CStandInManager::Configure(const std::string& lines) const {
    return WriteFileBytes(JoinPath(folder_, "CEAppMgr.cfg"), lines);
}

bool CStandInManager::HasRun() const {
    return FileExists(JoinPath(folder_, "CEAppMgr.record"));
}

std::string CStandInManager::Record() const {
    return ReadFileBytes(JoinPath(folder_, "CEAppMgr.record"));
}

std::string CStandInManager::RecordValue(const std::string& key) const {
    std::istringstream record(Record());
    std::string line;
    while (std::getline(record, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return std::string();
}

HWND WaitForStandInWindow(DWORD milliseconds) {
    HWND window = nullptr;
    WaitUntil(
        [&] {
            window = FindWindowA(kStandInWindowClass, nullptr);
            return window != nullptr && IsWindowVisible(window);
        },
        milliseconds);
    return window;
}

bool TickSibling(CWizardSession& session, int position) {
    const CRemoteListView list(session.Item(IDC_PRODUCT_LIST));
    const POINT box = list.PointOn(position, LVHT_ONITEMSTATEICON);
    if (box.x < 0)
        return false;
    list.LeftClick(box);
    return list.StateImage(position) == 2;
}

bool GoToOptionsAndTick(CWizardSession& session, const std::vector<int>& positions) {
    if (!session.GoToOptions())
        return false;
    for (int position : positions) {
        if (!TickSibling(session, position))
            return false;
    }
    return true;
}

bool IsCompletionPage(HWND page) {
    return GetDlgItem(page, IDC_SUMMARY) != nullptr;
}

HWND InstallToCompletion(CWizardSession& session, DWORD milliseconds) {
    PostMessageA(session.Sheet(), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    HWND page = nullptr;
    WaitUntil(
        [&] {
            page = session.Page();
            return IsCompletionPage(page) && IsWindowVisible(page);
        },
        milliseconds);
    return IsCompletionPage(page) ? page : nullptr;
}

std::string ProductFile(const CWizardSession& session, const std::string& name, const std::string& extension) {
    return JoinPath(session.Folder(), "Quorvex " + name + "\\" + name + extension);
}

}  // namespace driver
