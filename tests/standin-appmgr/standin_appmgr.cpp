// The stand-in for the device application manager (built as CEAppMgr.exe). The setup starts it
// with one quoted .ini path per package and waits for it to end. It checks each package as a
// manager would, writes its findings to CEAppMgr.record beside itself, and then behaves as
// CEAppMgr.cfg beside itself asks: wait a while, show what it received, end with a given code.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "package_check.h"

namespace {

constexpr char kRecordName[] = "CEAppMgr.record";
constexpr char kConfigName[] = "CEAppMgr.cfg";
constexpr char kWindowClass[] = "StandInAppMgrWindow";
constexpr char kWindowTitle[] = "Application Manager";
constexpr char kIntroText[] =
    "The setup handed over the packages below. The application manager would now transfer them to the "
    "connected device.";
constexpr int kClientWidth = 620;
constexpr int kClientHeight = 250;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kIntroHeight = 36;
constexpr UINT_PTR kAutoCloseTimerId = 1;
constexpr int IDC_PACKAGE_LIST = 100;

struct CConfig {
    DWORD delayMs = 0;
    bool showWindow = false;
    UINT autoCloseMs = 0;
    UINT exitCode = 0;
};

struct CWindowState {
    const std::vector<CPackageReport>* reports = nullptr;
    UINT autoCloseMs = 0;
    HFONT font = nullptr;
};

class CHandle {
  public:
    explicit CHandle(HANDLE handle) : handle_(handle) {}
    ~CHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    CHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file.valid())
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return false;
    bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    return bytes->empty() || (ReadFile(file.get(), &(*bytes)[0], static_cast<DWORD>(bytes->size()), &done, nullptr) &&
                              done == bytes->size());
}

// Tests poll for the record while the setup is still running; they must find the old one or the
// whole new one, never a half-written file.
bool WriteFileAtomically(const std::string& path, const std::string& text) {
    std::string temp = path + ".tmp";
    {
        CHandle file(
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return false;
        DWORD done = 0;
        if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) ||
            done != text.size()) {
            return false;
        }
    }
    if (MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp.c_str());
    return false;
}

std::string ExeFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length < MAX_PATH ? length : 0);
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

UINT ConfigNumber(const CIniFile& ini, const char* key) {
    std::string value;
    return ini.Get("", key, &value) ? strtoul(value.c_str(), nullptr, 10) : 0;
}

CConfig ReadConfig(const std::string& folder) {
    CConfig config;
    std::string text;
    if (!ReadWholeFile(folder + kConfigName, &text))
        return config;
    CIniFile ini;
    ini.Parse(text);
    config.delayMs = ConfigNumber(ini, "delay_ms");
    config.showWindow = ConfigNumber(ini, "show_window") != 0;
    config.autoCloseMs = ConfigNumber(ini, "auto_close_ms");
    config.exitCode = ConfigNumber(ini, "exit_code");
    return config;
}

std::string WithThousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

void AddColumn(HWND list, int index, const char* title, int width) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(title);
    column.cx = width;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, column == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

void FillPackageList(HWND list, const std::vector<CPackageReport>& reports) {
    AddColumn(list, 0, "Package", 100);
    AddColumn(list, 1, "Description", 120);
    AddColumn(list, 2, "Cabinet size", 90);
    AddColumn(list, 3, "Device folder", 170);
    AddColumn(list, 4, "Status", 110);
    int row = 0;
    for (const CPackageReport& report : reports) {
        std::string name = report.component;
        if (name.empty())
            name = report.iniPath.substr(report.iniPath.find_last_of("\\/") + 1);
        SetCell(list, row, 0, name);
        SetCell(list, row, 1, report.description);
        SetCell(list, row, 2, report.cabSize ? WithThousands(report.cabSize) + " bytes" : std::string());
        SetCell(list, row, 3, report.target);
        SetCell(list, row, 4, report.errors.empty() ? "Ready" : "Rejected: " + report.errors.front());
        ++row;
    }
}

HWND AddChild(HWND parent,
              const char* className,
              const char* text,
              DWORD style,
              int x,
              int y,
              int width,
              int height,
              int id,
              HFONT font) {
    HWND child = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTA* create) {
    auto* state = static_cast<CWindowState*>(create->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    state->font = CreateFontIndirectA(&metrics.lfMessageFont);

    const int width = kClientWidth - 2 * kMargin;
    const int listTop = kMargin + kIntroHeight;
    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    AddChild(window, "STATIC", kIntroText, SS_LEFT, kMargin, kMargin, width, kIntroHeight, -1, state->font);
    HWND list =
        AddChild(window, WC_LISTVIEWA, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER,
                 kMargin, listTop, width, buttonTop - kMargin - listTop, IDC_PACKAGE_LIST, state->font);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    FillPackageList(list, *state->reports);
    AddChild(window, "BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, kClientWidth - kMargin - kButtonWidth, buttonTop,
             kButtonWidth, kButtonHeight, IDOK, state->font);
    if (state->autoCloseMs != 0)
        SetTimer(window, kAutoCloseTimerId, state->autoCloseMs, nullptr);
    return 0;
}

void OnCommand(HWND window, int id) {
    if (id == IDOK || id == IDCANCEL)
        DestroyWindow(window);
}

void OnDestroy(HWND window) {
    auto* state = reinterpret_cast<CWindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    KillTimer(window, kAutoCloseTimerId);
    if (state && state->font)
        DeleteObject(state->font);
    PostQuitMessage(0);
}

LRESULT CALLBACK PackagesWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam));
            return 0;
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ShowPackagesWindow(HINSTANCE instance, const std::vector<CPackageReport>& reports, UINT autoCloseMs) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PackagesWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExA(&windowClass);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    CWindowState state;
    state.reports = &reports;
    state.autoCloseMs = autoCloseMs;
    HWND window = CreateWindowExA(
        WS_EX_DLGMODALFRAME, kWindowClass, kWindowTitle, style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr, instance, &state);
    if (!window)
        return;
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();
    const std::string folder = ExeFolder();
    const std::vector<std::string> args = SplitCommandLine(commandLine);

    std::vector<CPackageReport> reports;
    for (size_t i = 1; i < args.size(); ++i)
        reports.push_back(CheckPackage(args[i], ReadWholeFile));
    WriteFileAtomically(folder + kRecordName, FormatRecord(commandLine, reports));

    const CConfig config = ReadConfig(folder);
    if (config.showWindow)
        ShowPackagesWindow(instance, reports, config.autoCloseMs);
    if (config.delayMs != 0)
        Sleep(config.delayMs);
    return static_cast<int>(config.exitCode);
}
