#include "support/driver.h"

#include "support/sheet_buttons.h"
#include "support/window_picture.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace driver {

namespace {

const char kAppPathsKey[] = "software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAppMgr.exe";
const char kHttpOpenKey[] = "Software\\Classes\\http\\shell\\open\\command";
const char kInternetSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct WindowSearch {
    DWORD processId;
    bool (*match)(HWND);
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window) && search->match(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool IsDialog(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    return strcmp(className, "#32770") == 0;
}

std::string g_wantedTitle;

bool IsTitledDialog(HWND window) {
    return IsDialog(window) && WindowText(window) == g_wantedTitle;
}

bool IsWizard(HWND window) {
    return IsDialog(window) && GetDlgItem(window, kNextButton) != nullptr;
}

std::string OwnFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

}  // namespace

std::string Env(const char* name) {
    const char* value = getenv(name);
    EXPECT_NE(value, nullptr) << name << " is not set; run the tests through make test";
    return value ? value : "";
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[65536];
    size_t count;
    while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, count);
    fclose(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(JoinPath(path, "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = JoinPath(path, name);
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

namespace {

struct ResourceCopy {
    HMODULE source;
    HANDLE update;
    const char* skipType;
    const char* skipName;
    bool ok;
};

bool SameResourceName(const char* a, const char* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b))
        return a == b;
    return lstrcmpiA(a, b) == 0;
}

BOOL CALLBACK CopyLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR parameter) {
    auto* copy = reinterpret_cast<ResourceCopy*>(parameter);
    if (SameResourceName(type, copy->skipType) && SameResourceName(name, copy->skipName))
        return TRUE;
    HRSRC info = FindResourceExA(copy->source, type, name, language);
    void* data = info ? LockResource(LoadResource(copy->source, info)) : nullptr;
    if (!data || !UpdateResourceA(copy->update, type, name, language, data, SizeofResource(copy->source, info)))
        copy->ok = false;
    return TRUE;
}

BOOL CALLBACK CopyName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR parameter) {
    return EnumResourceLanguagesA(module, type, name, CopyLanguage, parameter);
}

BOOL CALLBACK CopyType(HMODULE module, LPSTR type, LONG_PTR parameter) {
    return EnumResourceNamesA(module, type, CopyName, parameter);
}

}  // namespace

bool CopyExeWithoutResource(const std::string& source, const std::string& target, const char* type, const char* name) {
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        return false;
    HMODULE module = LoadLibraryExA(source.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return false;
    ResourceCopy copy = {module, BeginUpdateResourceA(target.c_str(), TRUE), type, name, true};
    if (!copy.update) {
        FreeLibrary(module);
        return false;
    }
    EnumResourceTypesA(module, CopyType, reinterpret_cast<LONG_PTR>(&copy));
    const bool written = EndUpdateResourceA(copy.update, !copy.ok) != FALSE;
    FreeLibrary(module);
    return copy.ok && written;
}

CScratchFolder::CScratchFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    path_ = JoinPath(temp, "orvella-" + name);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

CScratchFolder::~CScratchFolder() {
    RemoveTree(path_);
}

CRegistryValueOverride::CRegistryValueOverride(HKEY root, const std::string& key, const std::string& name)
    : root_(root), key_(key), name_(name) {
    HKEY handle;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    hadKey_ = true;
    char data[2048];
    DWORD size = sizeof(data);
    if (RegQueryValueExA(handle, name_.c_str(), nullptr, &oldType_, reinterpret_cast<BYTE*>(data), &size) ==
        ERROR_SUCCESS) {
        hadValue_ = true;
        oldData_.assign(data, size);
    }
    RegCloseKey(handle);
}

CRegistryValueOverride::~CRegistryValueOverride() {
    if (hadValue_) {
        SetRaw(oldData_.data(), static_cast<DWORD>(oldData_.size()), oldType_);
    } else if (!hadKey_) {
        RemoveKey();
    } else {
        HKEY handle;
        if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_WRITE, &handle) == ERROR_SUCCESS) {
            RegDeleteValueA(handle, name_.c_str());
            RegCloseKey(handle);
        }
    }
}

void CRegistryValueOverride::Set(const std::string& value, DWORD type) {
    SetRaw(value.c_str(), static_cast<DWORD>(value.size() + 1), type);
}

void CRegistryValueOverride::SetRaw(const void* data, DWORD size, DWORD type) {
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr), ERROR_SUCCESS)
        << key_;
    EXPECT_EQ(RegSetValueExA(handle, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS)
        << key_ << " " << name_;
    RegCloseKey(handle);
}

void CRegistryValueOverride::RemoveKey() {
    RegDeleteKeyA(root_, key_.c_str());
}

CAppPathsOverride::CAppPathsOverride() : CRegistryValueOverride(HKEY_LOCAL_MACHINE, kAppPathsKey, "") {}

CSetupProcess::~CSetupProcess() {
    Kill();
}

bool CSetupProcess::Start(const std::string& exePath, const std::string& arguments, const std::string& workingFolder) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(exePath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &processInfo_) != FALSE;
}

DWORD CSetupProcess::WaitForExit(DWORD milliseconds) {
    if (processInfo_.hProcess == nullptr)
        return STILL_ACTIVE;
    WaitForSingleObject(processInfo_.hProcess, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(processInfo_.hProcess, &code);
    return code;
}

void CSetupProcess::Kill() {
    if (processInfo_.hProcess == nullptr)
        return;
    if (WaitForSingleObject(processInfo_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(processInfo_.hProcess, 1);
        WaitForSingleObject(processInfo_.hProcess, 5000);
    }
    CloseHandle(processInfo_.hProcess);
    CloseHandle(processInfo_.hThread);
    processInfo_ = {};
}

HWND WaitForWindow(DWORD processId, bool (*match)(HWND), DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        WindowSearch search = {processId, match, nullptr};
        EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    } while (GetTickCount() - start < milliseconds);
    return nullptr;
}

HWND WaitForMessageBox(DWORD processId, const std::string& title, DWORD milliseconds) {
    g_wantedTitle = title;
    return WaitForWindow(processId, IsTitledDialog, milliseconds);
}

std::string MessageBoxText(HWND box) {
    const int kMessageText = 0xFFFF;
    return WindowText(GetDlgItem(box, kMessageText));
}

HWND WaitForWizard(DWORD processId, DWORD milliseconds) {
    return WaitForWindow(processId, IsWizard, milliseconds);
}

std::string WindowText(HWND window) {
    char text[8192] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

bool HasStyle(HWND window, LONG style) {
    return (GetWindowLongA(window, GWL_STYLE) & style) == style;
}

void ClickButton(HWND button) {
    SendMessageA(button, BM_CLICK, 0, 0);
}

bool SaveScreenshot(HWND window, const std::string& name) {
    const std::string bytes = WindowPictureBmp(window);
    if (bytes.empty())
        return false;
    const std::string folder = Env("ORVELLA_ARTIFACT_DIR");
    CreateDirectoryA(folder.c_str(), nullptr);
    return WriteFileBytes(JoinPath(folder, name + ".bmp"), bytes);
}

CUrlRecorder::CUrlRecorder()
    : folder_("url-recorder"), logPath_(folder_ / "urls.txt"), openCommand_(HKEY_LOCAL_MACHINE, kHttpOpenKey, "") {
    openCommand_.Set("\"" + JoinPath(OwnFolder(), "url_recorder.exe") + "\" \"" + logPath_ + "\" \"%1\"");
}

std::vector<std::string> CUrlRecorder::Urls() const {
    std::vector<std::string> urls;
    const std::string log = ReadFileBytes(logPath_);
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        urls.push_back(log.substr(start, end - start));
    return urls;
}

std::vector<std::string> CUrlRecorder::WaitForUrls(size_t count, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    std::vector<std::string> urls = Urls();
    while (urls.size() < count && GetTickCount() - start < milliseconds) {
        Sleep(20);
        urls = Urls();
    }
    return urls;
}

CProxyOverride::CProxyOverride(const std::string& server)
    : CRegistryValueOverride(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyServer") {
    Set(server);
}

}  // namespace driver
