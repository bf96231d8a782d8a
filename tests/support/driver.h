// What the end-to-end suites share: starting the real setup, finding and driving its windows
// across processes, the application manager's registry value, and scratch folders.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A variable that the test harness sets; fails the calling test when it is missing.
std::string Env(const char* name);

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// Deletes a folder and everything below it; read-only files included.
void RemoveTree(const std::string& path);

// Copies an exe without one of its resources. Wine's UpdateResourceA does not delete a single
// resource, so the copy gets all resources anew but the one left out.
bool CopyExeWithoutResource(const std::string& source, const std::string& target, const char* type, const char* name);

// A fresh, empty folder below the Windows temp folder, removed again by the destructor.
class CScratchFolder {
  public:
    explicit CScratchFolder(const std::string& name);
    ~CScratchFolder();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return JoinPath(path_, name); }

  private:
    std::string path_;
};

// One registry value changed for a test. The destructor puts back what was there: the old value,
// or no value, or no key at all. An empty name is the key's default value.
class CRegistryValueOverride {
  public:
    CRegistryValueOverride(HKEY root, const std::string& key, const std::string& name);
    ~CRegistryValueOverride();
    CRegistryValueOverride(const CRegistryValueOverride&) = delete;
    CRegistryValueOverride& operator=(const CRegistryValueOverride&) = delete;
    void Set(const std::string& value, DWORD type = REG_SZ);
    void SetRaw(const void* data, DWORD size, DWORD type);
    // Deletes the whole key (which must have no subkeys).
    void RemoveKey();

  private:
    HKEY root_;
    std::string key_;
    std::string name_;
    bool hadKey_ = false;
    bool hadValue_ = false;
    DWORD oldType_ = 0;
    std::string oldData_;
};

// The application manager's App Paths value, set or removed for one test.
class CAppPathsOverride : public CRegistryValueOverride {
  public:
    CAppPathsOverride();
    void Remove() { RemoveKey(); }
};

// The real setup, started as its own process.
class CSetupProcess {
  public:
    CSetupProcess() = default;
    ~CSetupProcess();
    bool Start(const std::string& exePath,
               const std::string& arguments = std::string(),
               const std::string& workingFolder = std::string());
    // The exit code, or STILL_ACTIVE when the process has not ended within the time.
    DWORD WaitForExit(DWORD milliseconds);
    void Kill();
    DWORD Id() const { return processInfo_.dwProcessId; }
    HANDLE Handle() const { return processInfo_.hProcess; }

  private:
    PROCESS_INFORMATION processInfo_ = {};
};

// Polls until the predicate gives a window or the time is up.
HWND WaitForWindow(DWORD processId, bool (*match)(HWND), DWORD milliseconds);
// A message box of the process, recognised by its title.
HWND WaitForMessageBox(DWORD processId, const std::string& title, DWORD milliseconds);
std::string MessageBoxText(HWND box);
// The property sheet of the process: a dialog with the wizard's Next button.
HWND WaitForWizard(DWORD processId, DWORD milliseconds);

std::string WindowText(HWND window);
bool HasStyle(HWND window, LONG style);
void ClickButton(HWND button);
// Saves the window as it is shown on screen into the artifact folder, as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& name);

// Points the prefix's proxy at another address for one test and puts the old one back.
class CProxyOverride : public CRegistryValueOverride {
  public:
    explicit CProxyOverride(const std::string& server);
};

// For one test, makes the prefix's http "open" command the URL recorder (built beside the test
// programs), so that every URL the shell opens becomes a line in a file of the test instead of a
// browser window. The previous command is put back by the destructor.
class CUrlRecorder {
  public:
    CUrlRecorder();
    CUrlRecorder(const CUrlRecorder&) = delete;
    CUrlRecorder& operator=(const CUrlRecorder&) = delete;
    // The URLs opened so far, oldest first.
    std::vector<std::string> Urls() const;
    // Polls until at least count URLs have arrived or the time is up; returns what arrived.
    std::vector<std::string> WaitForUrls(size_t count, DWORD milliseconds) const;

  private:
    CScratchFolder folder_;
    std::string logPath_;
    CRegistryValueOverride openCommand_;
};

}  // namespace driver
