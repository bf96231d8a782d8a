#include "bench/remote.h"

#include <psapi.h>

#include "tests/support/sheet_buttons.h"

namespace {

using driver::kNextButton;

bool HasClass(HWND window, const char* className) {
    char name[64];
    return GetClassNameA(window, name, sizeof(name)) > 0 && lstrcmpA(name, className) == 0;
}

struct CSheetSearch {
    DWORD processId;
    HWND sheet;
};

BOOL CALLBACK MatchSheet(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<CSheetSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !HasClass(window, "#32770") || GetDlgItem(window, kNextButton) == nullptr)
        return TRUE;
    search->sheet = window;
    return FALSE;
}

}  // namespace

CChildProcess::~CChildProcess() {
    Kill();
}

bool CChildProcess::Start(const std::string& exePath) {
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info_) != FALSE;
}

bool CChildProcess::WaitForExit(DWORD milliseconds) const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0;
}

void CChildProcess::Kill() {
    if (info_.hProcess == nullptr)
        return;
    if (!WaitForExit(0)) {
        TerminateProcess(info_.hProcess, 1);
        WaitForExit(10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds, DWORD pollMs) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(pollMs);
    }
}

HWND FindWizardSheet(DWORD processId) {
    CSheetSearch search = {processId, nullptr};
    EnumWindows(MatchSheet, reinterpret_cast<LPARAM>(&search));
    return search.sheet;
}

HWND VisiblePage(HWND sheet) {
    for (HWND child = FindWindowExA(sheet, nullptr, "#32770", nullptr); child != nullptr;
         child = FindWindowExA(sheet, child, "#32770", nullptr)) {
        if (IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

bool IsFirstPageShown(HWND sheet) {
    return IsWindowVisible(sheet) && IsWindowVisible(GetDlgItem(sheet, kNextButton)) && VisiblePage(sheet) != nullptr;
}

HWND WaitForFirstPage(DWORD processId, DWORD milliseconds, DWORD pollMs) {
    HWND sheet = nullptr;
    const bool shown = WaitUntil(
        [&] {
            if (sheet == nullptr)
                sheet = FindWizardSheet(processId);
            return sheet != nullptr && IsFirstPageShown(sheet);
        },
        milliseconds, pollMs);
    return shown ? sheet : nullptr;
}

bool IsPageShown(HWND sheet, int controlId) {
    HWND page = VisiblePage(sheet);
    return page != nullptr && GetDlgItem(page, controlId) != nullptr;
}

SIZE_T PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    return GetProcessMemoryInfo(process, &counters, sizeof(counters)) ? counters.PeakWorkingSetSize : 0;
}

CRemoteBuffer::CRemoteBuffer(DWORD processId, SIZE_T size) : size_(size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr)
        address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

CRemoteBuffer::~CRemoteBuffer() {
    if (address_ != nullptr)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr)
        CloseHandle(process_);
}

bool CRemoteBuffer::Write(const void* data, SIZE_T size) const {
    return size <= size_ && WriteProcessMemory(process_, address_, data, size, nullptr);
}

bool CRemoteBuffer::Read(void* data, SIZE_T size) const {
    return size <= size_ && ReadProcessMemory(process_, address_, data, size, nullptr);
}
