// Start-up: finding the application manager, the sales channel, the catalogue, and the two
// small services other parts call (string loading and the missing-manager warning).
#pragma once

#include <windows.h>

#include <string>

#include "app/config.h"

constexpr int kTextBufferSize = 260;

extern HINSTANCE g_appInstance;

// 0 on success, otherwise the string-table ID that names the reason.
UINT InitSetup();
bool FindAppMgr();
void LoadResourceString(UINT id, std::string& text);
void WarnAppMgrMissing();

// The start-up error box: "Setup Initialization failed." followed by the reason.
void ShowStartupError(UINT reason);
// Only the bare switch selects the copy mode: no blank, no other case, nothing after it.
bool IsCopyModeCommandLine(const char* commandLine);

// The first store suffix found anywhere in the path, folders included and case ignored;
// the maker's own channel when there is none.
DistributorId DistributorFromPath(const char* path);
// The manager's folder with its trailing backslash; false when the path has no backslash.
bool AppMgrDirFromPath(const std::string& appMgrPath, std::string& appMgrDir);
