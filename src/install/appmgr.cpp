#include "install/appmgr.h"

#include <windows.h>

#include <vector>

#include "install/handles.h"

const char* const kSetupFileExtensions[kSetupFileCount] = {".CAB", ".ini", ".dat", ".ico"};

std::string ProductFolderPath(const CSetupConfig& config, int row) {
    return config.appMgrDir + "Quorvex " + config.products[row].name;
}

std::string ProductFilePath(const CSetupConfig& config, int row, const char* extension) {
    return ProductFolderPath(config, row) + "\\" + config.products[row].name + extension;
}

bool CreateProductFolder(const std::string& folder) {
    if (CreateDirectoryA(folder.c_str(), nullptr))
        return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string BuildAppMgrCommandLine(const CSetupConfig& config) {
    std::string line = "\"" + config.appMgrPath + "\" ";
    for (int row = kProductCount - 1; row >= 0; --row) {
        if (config.products[row].installed)
            line += "\"" + ProductFilePath(config, row, ".ini") + "\" ";
    }
    return line;
}

bool RunAppMgr(const std::string& commandLine) {
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const CKernelHandle processHandle(process.hProcess);
    const CKernelHandle threadHandle(process.hThread);
    WaitForSingleObject(processHandle.Get(), INFINITE);
    return true;
}
