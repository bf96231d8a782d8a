// Watching and driving another process's wizard from outside: the process itself, its sheet and
// pages found without sending it messages (so that polling does not slow what is measured), and
// list-view calls that need a buffer in the other process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// A started program; killed, if still running, when the object goes.
class CChildProcess {
  public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Start(const std::string& exePath);
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    bool WaitForExit(DWORD milliseconds) const;
    void Kill();

  private:
    PROCESS_INFORMATION info_ = {};
};

// Polls every pollMs until the condition holds or the time is up; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds, DWORD pollMs = 1);

// A top-level dialog of the process with the classic wizard's Next button.
HWND FindWizardSheet(DWORD processId);
// The page dialog the sheet shows now, or null.
HWND VisiblePage(HWND sheet);
// The sheet, its Next button and a page all on screen.
bool IsFirstPageShown(HWND sheet);
// The process's sheet once its first page is on screen; null when that did not happen in time.
HWND WaitForFirstPage(DWORD processId, DWORD milliseconds, DWORD pollMs = 1);
// Whether the shown page holds the control, i.e. is the page the caller waits for.
bool IsPageShown(HWND sheet, int controlId);

// The process's peak working set in bytes; 0 when it cannot be read.
SIZE_T PeakWorkingSet(HANDLE process);

// Memory in another process for the list-view messages that take a pointer.
class CRemoteBuffer {
  public:
    CRemoteBuffer(DWORD processId, SIZE_T size);
    ~CRemoteBuffer();
    CRemoteBuffer(const CRemoteBuffer&) = delete;
    CRemoteBuffer& operator=(const CRemoteBuffer&) = delete;

    bool IsValid() const { return address_ != nullptr; }
    void* Address() const { return address_; }
    bool Write(const void* data, SIZE_T size) const;
    bool Read(void* data, SIZE_T size) const;

  private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_ = 0;
};
