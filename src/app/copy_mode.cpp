#include "app/copy_mode.h"

#include <windows.h>

#include "app/config.h"
#include "app/setup.h"
#include "install/resource_file.h"

namespace {

std::string BaseName(const std::string& uploadFolder, const std::string& productName) {
    return uploadFolder + "\\Quorvex" + productName;
}

}  // namespace

std::string UploadFolderFromModulePath(const std::string& modulePath) {
    const size_t slash = modulePath.rfind('\\');
    if (slash == std::string::npos)
        return std::string();
    return modulePath.substr(0, slash + 1) + "Upload";
}

std::vector<std::string> ChannelCopyPaths(const std::string& uploadFolder, const std::string& productName) {
    const std::string base = BaseName(uploadFolder, productName);
    std::vector<std::string> paths;
    for (const char* suffix : kDistributorSuffixes)
        paths.push_back(base + suffix + "_Setup.exe");
    paths.push_back(base + "_Setup.exe");
    return paths;
}

void RunCopyMode() {
    char modulePath[kTextBufferSize];
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath));
    if (length == 0 || length >= sizeof(modulePath))
        return;
    const std::string uploadFolder = UploadFolderFromModulePath(modulePath);
    if (uploadFolder.empty())
        return;
    if (!CreateDirectoryA(uploadFolder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return;

    const std::string& productName = g_setupConfig.products[0].name;
    // A copy that fails (a read-only target, say) must not keep the other channels from theirs.
    for (const std::string& target : ChannelCopyPaths(uploadFolder, productName))
        CopyFileA(modulePath, target.c_str(), FALSE);

    const CResourceBytes cabinet("PROGRAM.cab", "SETUP_DATA");
    if (!cabinet.Found())
        return;
    const std::string base = BaseName(uploadFolder, productName);
    for (const char* ending : {".CAB", "_Demo.CAB"}) {
        if (WriteResourceToFile(cabinet, (base + ending).c_str()) != kWriteOk)
            return;
    }
}
