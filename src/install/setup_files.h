// Writes the main product's embedded setup files into its folder beside the application manager.
#pragma once

#include <windows.h>

#include "app/config.h"

// Drives the progress page's bars and label; records the outcome in row 0 (installed, or
// failureId 12 or 13) and returns whether all four files were written.
bool WriteSetupFiles(HWND page, CSetupConfig& config);
