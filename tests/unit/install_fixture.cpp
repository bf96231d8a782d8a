#include "install_fixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <prsht.h>

#include <sstream>

#include "app/setup.h"
#include "res/resource.h"

namespace {

const char kSheetClass[] = "OrvellaTestSheet";

LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PSM_PRESSBUTTON) {
        auto* presses = reinterpret_cast<std::vector<CControlMessage>*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        presses->push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

LRESULT CALLBACK RecordBar(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message >= PBM_SETRANGE && message <= PBM_SETRANGE32)
        reinterpret_cast<std::vector<CControlMessage>*>(data)->push_back({message, wParam, lParam});
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK RecordLabel(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_SETTEXT)
        reinterpret_cast<std::vector<std::string>*>(data)->push_back(reinterpret_cast<const char*>(lParam));
    return DefSubclassProc(window, message, wParam, lParam);
}

void RegisterSheetClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SheetProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kSheetClass;
    RegisterClassA(&windowClass);
}

void DispatchWaiting() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string FormField(const std::string& body, const std::string& name) {
    std::istringstream fields(body);
    std::string field;
    while (std::getline(fields, field, '&')) {
        if (field.compare(0, name.size() + 1, name + "=") == 0)
            return field.substr(name.size() + 1);
    }
    return std::string();
}

}  // namespace

CProgressPage::CProgressPage() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    RegisterSheetClass();
    sheet_ = CreateWindowExA(0, kSheetClass, "Sheet", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(sheet_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&presses_));
    page_ = CreateDialogParamA(g_appInstance, MAKEINTRESOURCEA(IDD_PROGRESS), sheet_, PageProc, 0);
    EXPECT_NE(page_, nullptr);
    SetWindowSubclass(GetDlgItem(page_, IDC_OVERALL_PROGRESS), RecordBar, 1, reinterpret_cast<DWORD_PTR>(&overall_));
    SetWindowSubclass(GetDlgItem(page_, IDC_CURRENT_PROGRESS), RecordBar, 1, reinterpret_cast<DWORD_PTR>(&current_));
    SetWindowSubclass(GetDlgItem(page_, IDC_CURRENT_LABEL), RecordLabel, 1, reinterpret_cast<DWORD_PTR>(&labels_));
}

CProgressPage::~CProgressPage() {
    RemoveWindowSubclass(GetDlgItem(page_, IDC_OVERALL_PROGRESS), RecordBar, 1);
    RemoveWindowSubclass(GetDlgItem(page_, IDC_CURRENT_PROGRESS), RecordBar, 1);
    RemoveWindowSubclass(GetDlgItem(page_, IDC_CURRENT_LABEL), RecordLabel, 1);
    DestroyWindow(page_);
    DestroyWindow(sheet_);
}

std::vector<int> CProgressPage::CurrentPositions() const {
    std::vector<int> positions;
    for (const CControlMessage& message : current_) {
        if (message.message == PBM_SETPOS)
            positions.push_back(static_cast<int>(message.wParam));
    }
    return positions;
}

std::string CProgressPage::Join(const std::vector<int>& positions) {
    std::string text;
    for (int position : positions)
        text += (text.empty() ? "" : ",") + std::to_string(position);
    return text;
}

int CProgressPage::OverallSteps() const {
    int steps = 0;
    for (const CControlMessage& message : overall_)
        steps += message.message == PBM_STEPIT ? 1 : 0;
    return steps;
}

int CProgressPage::OverallPosition() const {
    return static_cast<int>(SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_GETPOS, 0, 0));
}

int CProgressPage::OverallLimit() const {
    return static_cast<int>(SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_GETRANGE, FALSE, 0));
}

DWORD CProgressPage::RunWorker(LPTHREAD_START_ROUTINE procedure, void* argument, const std::function<void()>& poll) {
    HANDLE thread = CreateThread(nullptr, 0, procedure, argument, 0, nullptr);
    EXPECT_NE(thread, nullptr);
    if (thread == nullptr)
        return 0;
    // The short wait only lets poll look around now and then; nothing depends on its length.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        DispatchWaiting();
        if (poll)
            poll();
    }
    // Whatever the thread posted last is delivered before the test looks.
    DispatchWaiting();
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    return result;
}

CConfigScope::CConfigScope(const std::string& appMgrDir) : saved_(g_setupConfig) {
    g_setupConfig.FillCatalogue();
    g_setupConfig.distributor = DIST_DIRECT;
    g_setupConfig.appMgrDir = appMgrDir;
    g_setupConfig.appMgrPath = appMgrDir + "CEAppMgr.exe";
    for (CProductInfo& product : g_setupConfig.products) {
        product.selected = false;
        product.filesReady = false;
        product.installed = false;
        product.failureId = 0;
    }
}

CConfigScope::~CConfigScope() {
    g_setupConfig = saved_;
}

CServerControl::CServerControl() : folder_(driver::Env("ORVELLA_SERVER_DIR")) {
    Reset();
}

CServerControl::~CServerControl() {
    Reset();
}

void CServerControl::Reset() const {
    driver::RemoveTree(driver::JoinPath(folder_, "log"));
    SetFaults("");
}

void CServerControl::SetFaults(const std::string& rules) const {
    ASSERT_TRUE(driver::WriteFileBytes(driver::JoinPath(folder_, "faults.txt"), rules));
}

std::vector<std::string> CServerControl::RequestedFiles() const {
    std::vector<std::string> files;
    std::istringstream index(driver::ReadFileBytes(driver::JoinPath(folder_, "log\\index.txt")));
    std::string line;
    while (std::getline(index, line)) {
        // "NNNN METHOD TARGET BODY"
        std::istringstream fields(line);
        std::string number, method, target, body;
        fields >> number >> method >> target;
        fields.get();
        std::getline(fields, body);
        files.push_back(FormField(body, "d") + "/" + FormField(body, "e"));
    }
    return files;
}

std::string CServerControl::RequestBytes(int number) const {
    char name[32];
    snprintf(name, sizeof(name), "log\\%04d.req", number);
    return driver::ReadFileBytes(driver::JoinPath(folder_, name));
}

CStandInAppMgr::CStandInAppMgr(const std::string& name) : folder_(name + " app mgr"), dir_(folder_.Path() + "\\") {
    EXPECT_TRUE(CopyFileA(driver::Env("ORVELLA_STANDIN").c_str(), Path().c_str(), FALSE)) << Path();
}

std::string CStandInAppMgr::Record() const {
    return driver::ReadFileBytes(dir_ + "CEAppMgr.record");
}

std::string CStandInAppMgr::CommandLine() const {
    const std::string record = Record();
    const std::string key = "cmdline=";
    if (record.compare(0, key.size(), key) != 0)
        return std::string();
    return record.substr(key.size(), record.find("\r\n") - key.size());
}

std::string SiblingAsset(const std::string& product, const char* extension) {
    return driver::ReadFileBytes(driver::Env("ORVELLA_ASSET_DIR") + "\\siblings\\" + product + "\\" + product +
                                 extension);
}

std::string SetupData(const char* name) {
    HRSRC info = FindResourceA(nullptr, name, "SETUP_DATA");
    if (!info)
        return std::string();
    return std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, info))),
                       SizeofResource(nullptr, info));
}
