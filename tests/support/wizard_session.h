// Driving the real wizard from the end-to-end suites: a started setup with its sheet, page moves
// by the sheet's own messages, the template geometry the pages start from, and screen pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/driver.h"
#include "support/sheet_buttons.h"

namespace driver {

// Polls until the condition holds or the time is up; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);

// A window's rectangle in the client coordinates of another window (across processes).
RECT RectInClient(HWND window, HWND reference);

// Where a session puts the setup and the stand-in manager, what it registers and how it starts
// the setup. Folders are below the session's scratch folder and are made as needed; empty means
// the scratch folder itself.
struct CSessionPlaces {
    std::string exeName = "QuorvexOrvella_Setup.exe";
    std::string setupFolder;
    std::string managerFolder;
    // The App Paths value as given; empty registers the stand-in's path.
    std::string appPathsValue;
    // The value is a path below the scratch folder.
    bool appPathsInScratch = false;
    DWORD appPathsType = REG_SZ;
    // Stored without its terminating NUL.
    bool appPathsUnterminated = false;
    std::string arguments;
};

// The setup, copied into a scratch folder under the given name (the name picks the sales channel)
// and started with a scratch copy of the stand-in manager registered, up to its open wizard.
class CWizardSession {
  public:
    explicit CWizardSession(const std::string& exeName = "QuorvexOrvella_Setup.exe");
    explicit CWizardSession(const CSessionPlaces& places);
    ~CWizardSession();
    CWizardSession(const CWizardSession&) = delete;
    CWizardSession& operator=(const CWizardSession&) = delete;

    HWND Sheet() const { return sheet_; }
    // The page the sheet shows now.
    HWND Page() const;
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    HWND SheetItem(int id) const { return GetDlgItem(sheet_, id); }
    // Presses the sheet's Next or Back (posted, as the worker does) and waits for another page.
    bool Next();
    bool Back();
    // Waits until Back and Next are enabled exactly as given.
    bool WaitForButtons(bool back, bool next);
    // Waits until the page's title shows on screen. The title is WS_EX_TRANSPARENT, which the
    // window manager paints only after everything beneath it, so it comes last.
    bool WaitForTitle();
    // Cancel, posted; the setup must then end.
    bool Cancel();
    // Accepts the licence on the way and stops at the install options page.
    bool GoToOptions();

    // The folder that holds the stand-in manager: the scratch folder unless the places say otherwise.
    const std::string& Folder() const { return managerFolder_; }
    const std::string& ScratchFolder() const { return folder_.Path(); }
    const std::string& SetupPath() const { return setupPath_; }
    DWORD ProcessId() const { return setup_.Id(); }
    // The setup's exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitForExit(DWORD milliseconds) { return setup_.WaitForExit(milliseconds); }

  private:
    bool Press(int button);

    CScratchFolder folder_;
    std::string managerFolder_;
    std::string setupPath_;
    CAppPathsOverride appPaths_;
    CSetupProcess setup_;
    HWND sheet_ = nullptr;
};

// Dialog units of a page template in pixels, as the page's own dialog converts them: a hidden copy
// of the template, loaded from the setup exe and created in this process, does the conversion.
class CTemplateUnits {
  public:
    explicit CTemplateUnits(int templateId);
    ~CTemplateUnits();
    CTemplateUnits(const CTemplateUnits&) = delete;
    CTemplateUnits& operator=(const CTemplateUnits&) = delete;
    RECT ToPixels(int x, int y, int width, int height) const;

  private:
    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

// What the screen shows of a window's client area, read once; the window must be uncovered.
class CClientCapture {
  public:
    explicit CClientCapture(HWND window);
    // CLR_INVALID outside the client area.
    COLORREF Pixel(int x, int y) const;
    int Width() const { return area_.right; }
    int Height() const { return area_.bottom; }

  private:
    RECT area_ = {};
    std::vector<COLORREF> pixels_;
};

}  // namespace driver
