// The device application manager, reached only through files beside it and one command line.
#pragma once

#include <string>

#include "app/config.h"

constexpr int kSetupFileCount = 4;
// A product's four setup files, always handled in this order and spelled in exactly this case.
extern const char* const kSetupFileExtensions[kSetupFileCount];

// "Quorvex " + the row's name under the manager's folder, without a trailing backslash.
std::string ProductFolderPath(const CSetupConfig& config, int row);
std::string ProductFilePath(const CSetupConfig& config, int row, const char* extension);
// Makes a product folder; one that exists already is reused. A plain file of that name is no
// folder, although the system reports it as existing.
bool CreateProductFolder(const std::string& folder);

// The quoted manager path, then the quoted .ini of every installed row from the last row down to
// row 0; every piece is followed by one blank.
std::string BuildAppMgrCommandLine(const CSetupConfig& config);

// Starts the manager and returns once it has exited; false when it could not be started.
bool RunAppMgr(const std::string& commandLine);
