#include "bench/install_bench.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <stdio.h>

#include <functional>
#include <vector>

#include "bench/measure.h"
#include "bench/remote.h"
#include "tests/support/sheet_buttons.h"
#include "install/handles.h"
#include "res/resource.h"

namespace {

using driver::kNextButton;
const DWORD kStepTimeout = 30000;
const DWORD kInstallTimeout = 300000;
const DWORD kTickTimeout = 3000;
// How far in from an item's left edge the tick box may sit.
const int kTickSearchWidth = 32;
const UINT kUnticked = 1;
const UINT kTicked = 2;
const double kBytesPerMb = 1024.0 * 1024.0;

struct CInstallSample {
    bool done = false;
    double ms = 0;
    double peakMb = 0;
};

struct CFindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
using CFindHandle = CScopedHandle<CFindTraits>;

// Calls visit for every entry that matches the pattern.
void ForEachMatch(const std::string& pattern, const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
    WIN32_FIND_DATAA found;
    const CFindHandle search(FindFirstFileA(pattern.c_str(), &found));
    if (!search.IsValid())
        return;
    do
        visit(found);
    while (FindNextFileA(search.Get(), &found));
}

// Every run installs into an empty manager folder, as a first installation does.
void ClearInstallation(const std::string& managerDir) {
    ForEachMatch(managerDir + "Quorvex *", [&](const WIN32_FIND_DATAA& product) {
        const std::string folder = managerDir + product.cFileName;
        ForEachMatch(folder + "\\*", [&](const WIN32_FIND_DATAA& file) {
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + "\\" + file.cFileName).c_str());
        });
        RemoveDirectoryA(folder.c_str());
    });
    DeleteFileA((managerDir + "CEAppMgr.record").c_str());
}

std::string ReadWholeFile(const std::string& path) {
    const CFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (file.IsValid() && ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

// The .ini files the manager was handed, counted on the command line that the stand-in records
// beside itself.
int HandedPackages(const std::string& managerDir) {
    const std::string record = ReadWholeFile(managerDir + "CEAppMgr.record");
    const size_t begin = record.find("cmdline=");
    if (begin == std::string::npos)
        return 0;
    const std::string line = record.substr(begin, record.find('\n', begin) - begin);
    int count = 0;
    for (size_t at = line.find(".ini"); at != std::string::npos; at = line.find(".ini", at + 1))
        ++count;
    return count;
}

bool IsNextEnabled(HWND sheet) {
    return IsWindowEnabled(GetDlgItem(sheet, kNextButton)) != FALSE;
}

UINT TickState(HWND list, int item) {
    return static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK)) >> 12;
}

// Where the item's tick box is, found by asking the list itself: a point left in the item that
// hit-tests as its state icon.
bool FindTickBox(DWORD processId, HWND list, int item, POINT& point) {
    CRemoteBuffer buffer(processId, sizeof(LVHITTESTINFO) + sizeof(RECT));
    RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
    if (!buffer.IsValid() || !buffer.Write(&bounds, sizeof(bounds)) ||
        !SendMessageA(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(buffer.Address())) ||
        !buffer.Read(&bounds, sizeof(bounds)))
        return false;
    for (int x = bounds.left; x < bounds.left + kTickSearchWidth; x += 2) {
        LVHITTESTINFO hit = {};
        hit.pt = {x, (bounds.top + bounds.bottom) / 2};
        if (!buffer.Write(&hit, sizeof(hit)))
            return false;
        SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(buffer.Address()));
        if (buffer.Read(&hit, sizeof(hit)) && hit.iItem == item && (hit.flags & LVHT_ONITEMSTATEICON)) {
            point = hit.pt;
            return true;
        }
    }
    return false;
}

// Ticks every unticked product with a posted click on its tick box, as a user's click arrives;
// returns how many became ticked.
int TickAllSiblings(DWORD processId, HWND list) {
    int ticked = 0;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int item = 0; item < count; ++item) {
        POINT point;
        if (TickState(list, item) != kUnticked || !FindTickBox(processId, list, item, point))
            continue;
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
        if (WaitUntil([&] { return TickState(list, item) == kTicked; }, kTickTimeout, 10))
            ++ticked;
    }
    return ticked;
}

bool PressNextAndWaitFor(HWND sheet, int controlId) {
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    return WaitUntil([&] { return IsPageShown(sheet, controlId); }, kStepTimeout);
}

// Welcome, licence accepted, options with the siblings ticked: returns the sheet ready for the
// Next that starts the installation, or null with a note.
HWND DriveToOptions(const CChildProcess& setup, int siblings) {
    HWND sheet = WaitForFirstPage(setup.Id(), kStepTimeout);
    if (sheet == nullptr || !PressNextAndWaitFor(sheet, IDC_ACCEPT)) {
        PrintNote("install", "the licence page did not come");
        return nullptr;
    }
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    // Posted, so it is handled after the page's own posted button states.
    PostMessageA(GetDlgItem(page, IDC_ACCEPT), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return IsNextEnabled(sheet); }, kStepTimeout) ||
        !PressNextAndWaitFor(sheet, IDC_PRODUCT_LIST)) {
        PrintNote("install", "the options page did not come after accepting the licence");
        return nullptr;
    }
    if (siblings > 0) {
        page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        const int ticked = TickAllSiblings(setup.Id(), GetDlgItem(page, IDC_PRODUCT_LIST));
        if (ticked != siblings) {
            char text[128];
            snprintf(text, sizeof(text), "%d of %d siblings could be ticked on the options page", ticked, siblings);
            PrintNote("install", text);
            return nullptr;
        }
    }
    return WaitUntil([&] { return IsNextEnabled(sheet); }, kStepTimeout) ? sheet : nullptr;
}

CInstallSample MeasureInstall(const std::string& setupExe, const std::string& managerDir, int siblings) {
    CInstallSample sample;
    ClearInstallation(managerDir);
    CChildProcess setup;
    if (!setup.Start(setupExe)) {
        PrintNote("install", "the setup did not start");
        return sample;
    }
    HWND sheet = DriveToOptions(setup, siblings);
    if (sheet == nullptr)
        return sample;

    const double start = NowMs();
    if (!PressNextAndWaitFor(sheet, IDC_OVERALL_PROGRESS) ||
        !WaitUntil([&] { return IsPageShown(sheet, IDC_SUMMARY); }, kInstallTimeout)) {
        PrintNote("install", "the completion page did not come");
        return sample;
    }
    sample.ms = NowMs() - start;
    sample.peakMb = static_cast<double>(PeakWorkingSet(setup.Handle())) / kBytesPerMb;

    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    setup.WaitForExit(kStepTimeout);
    const int handed = HandedPackages(managerDir);
    if (handed != siblings + 1) {
        char text[128];
        snprintf(text, sizeof(text), "the manager was handed %d packages, not %d", handed, siblings + 1);
        PrintNote("install", text);
        return sample;
    }
    sample.done = true;
    return sample;
}

}  // namespace

bool RunInstallBench(const std::string& setupExe, const std::string& managerDir, int siblings, int warmUps, int runs) {
    std::vector<double> times;
    std::vector<double> peaks;
    for (int run = 0; run < warmUps + runs; ++run) {
        const CInstallSample sample = MeasureInstall(setupExe, managerDir, siblings);
        if (!sample.done)
            return false;
        if (run < warmUps)
            continue;
        times.push_back(sample.ms);
        peaks.push_back(sample.peakMb);
    }
    char key[64];
    snprintf(key, sizeof(key), "install.siblings%d", siblings);
    PrintMeasure(key, Summarize(times), "ms");
    snprintf(key, sizeof(key), "memory.completion.siblings%d", siblings);
    PrintMeasure(key, Summarize(peaks), "MB");
    return true;
}
