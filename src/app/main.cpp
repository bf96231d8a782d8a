// The entry: start-up, then one of the two modes. Always ends with exit code 0.
#include <windows.h>

#include "app/copy_mode.h"
#include "app/setup.h"
#include "wizard/wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_appInstance = instance;
    const UINT reason = InitSetup();
    if (reason != 0) {
        ShowStartupError(reason);
        return 0;
    }
    if (IsCopyModeCommandLine(commandLine))
        RunCopyMode();
    else
        RunWizard();
    return 0;
}
