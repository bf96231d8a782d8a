// The scripted tour of `make demo` without a display: drives the real setup through one
// installation the way a user would click it, saving a picture of every page and of the
// application manager's window, and prints what it saw.
//   tour.exe SETUP_EXE PICTURE_FOLDER
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <stdio.h>

#include <string>

#include "res/resource.h"
#include "support/sheet_buttons.h"
#include "support/window_picture.h"

namespace {

const DWORD kStepTimeout = 60000;

struct Search {
    DWORD processId;
    const char* title;
    HWND found;
};

std::string WindowText(HWND window) {
    char text[4096] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (!IsWindowVisible(window))
        return TRUE;
    if (search->processId != 0) {
        // The wizard: a dialog of the setup with the sheet's Next button.
        if (owner == search->processId && GetDlgItem(window, driver::kNextButton) != nullptr) {
            search->found = window;
            return FALSE;
        }
    } else if (WindowText(window).find(search->title) != std::string::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitFor(DWORD processId, const char* title) {
    for (DWORD waited = 0; waited < kStepTimeout; waited += 50) {
        Search search = {processId, title, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(50);
    }
    return nullptr;
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Waits until the sheet shows the page that holds the control.
HWND WaitForPage(HWND sheet, int controlId) {
    for (DWORD waited = 0; waited < kStepTimeout; waited += 50) {
        HWND page = CurrentPage(sheet);
        if (page && GetDlgItem(page, controlId))
            return page;
        Sleep(50);
    }
    return nullptr;
}

bool SavePicture(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    const std::string bytes = WindowPictureBmp(window);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

void PressKey(HWND window, WPARAM key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    Sleep(200);
}

int Fail(const char* step) {
    fprintf(stderr, "tour: %s\n", step);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail("usage: tour.exe SETUP_EXE PICTURE_FOLDER");
    const std::string folder = argv[2];
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(argv[1], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return Fail("the setup did not start");

    HWND sheet = WaitFor(process.dwProcessId, nullptr);
    if (!sheet || !WaitForPage(sheet, IDC_BUY_NOW))
        return Fail("no welcome page");
    SavePicture(sheet, folder + "\\1-welcome.bmp");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);

    HWND page = WaitForPage(sheet, IDC_ACCEPT);
    if (!page)
        return Fail("no licence page");
    SendMessageA(GetDlgItem(page, IDC_ACCEPT), BM_CLICK, 0, 0);
    SavePicture(sheet, folder + "\\2-licence.bmp");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);

    page = WaitForPage(sheet, IDC_PRODUCT_LIST);
    if (!page)
        return Fail("no options page");
    // Two trials ticked from the keyboard: down to a product, space ticks it.
    HWND list = GetDlgItem(page, IDC_PRODUCT_LIST);
    SetForegroundWindow(sheet);
    PressKey(list, VK_DOWN);
    PressKey(list, VK_SPACE);
    PressKey(list, VK_DOWN);
    PressKey(list, VK_DOWN);
    PressKey(list, VK_SPACE);
    SavePicture(sheet, folder + "\\3-options.bmp");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);

    if (!WaitForPage(sheet, IDC_OVERALL_PROGRESS))
        return Fail("no progress page");
    SavePicture(sheet, folder + "\\4-progress.bmp");

    HWND manager = WaitFor(0, "Application Manager");
    if (manager) {
        SavePicture(manager, folder + "\\6-manager.bmp");
        PostMessageA(manager, WM_COMMAND, IDOK, 0);
    }

    page = WaitForPage(sheet, IDC_SUMMARY);
    if (!page)
        return Fail("no completion page");
    SavePicture(sheet, folder + "\\5-completion.bmp");
    printf("%s\n", WindowText(GetDlgItem(page, IDC_SUMMARY)).c_str());
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    WaitForSingleObject(process.hProcess, kStepTimeout);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return exitCode == 0 ? 0 : Fail("the setup did not end with 0");
}
