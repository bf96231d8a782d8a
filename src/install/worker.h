// The background thread of the progress page: downloads, extraction, the application manager,
// then the move to the completion page.
#pragma once

#include <windows.h>

#include "app/config.h"

// One step of the overall bar per product the run handles: every selected row, and the main
// product even when its row is not selected.
int OverallRange(const CSetupConfig& config);

// The thread procedure; the argument is the progress page's window. 0 once the manager has run
// and the wizard was moved on, -1 when the manager could not be started.
DWORD WINAPI InstallWorker(LPVOID page);
