#include "app/setup.h"

#include <string.h>

#include "res/resource.h"

HINSTANCE g_appInstance = nullptr;

namespace {

const char kAppMgrKey[] = "software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAppMgr.exe";

// Reads the manager's path from the registry value. A value that fills the whole buffer without a
// terminating NUL is cut at the buffer's end, and an expansion that does not fit fails the lookup:
// neither may leave a path that runs past its buffer or is silently truncated.
bool ReadAppMgrPath(std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppMgrKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char value[kTextBufferSize];
    DWORD type = 0;
    DWORD size = sizeof(value);
    const LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    path.assign(value, strnlen(value, size));

    if (type == REG_EXPAND_SZ) {
        char expanded[kTextBufferSize];
        const DWORD needed = ExpandEnvironmentStringsA(path.c_str(), expanded, sizeof(expanded));
        if (needed == 0 || needed > sizeof(expanded))
            return false;
        path = expanded;
    }
    return true;
}

void LoadProductBitmaps(CSetupConfig& config) {
    for (CProductInfo& product : config.products) {
        product.iconBitmap = LoadBitmapA(g_appInstance, product.iconBitmapName.c_str());
        product.sloganBitmap = LoadBitmapA(g_appInstance, product.sloganBitmapName.c_str());
    }
}

}  // namespace

bool AppMgrDirFromPath(const std::string& appMgrPath, std::string& appMgrDir) {
    const size_t slash = appMgrPath.rfind('\\');
    if (slash == std::string::npos)
        return false;
    appMgrDir = appMgrPath.substr(0, slash + 1);
    return true;
}

bool FindAppMgr() {
    std::string path;
    if (!ReadAppMgrPath(path) || path.empty())
        return false;
    std::string dir;
    if (!AppMgrDirFromPath(path, dir))
        return false;
    g_setupConfig.appMgrPath = path;
    g_setupConfig.appMgrDir = dir;
    return true;
}

DistributorId DistributorFromPath(const char* path) {
    std::string upper = path;
    if (upper.empty())
        return DIST_DIRECT;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    for (int store = 0; store < kStoreCount; ++store) {
        const char* suffix = kDistributorSuffixes[store];
        const size_t length = strlen(suffix);
        // Step by characters, not bytes, so that a trail byte of a double-byte character never
        // starts a match.
        for (const char* p = upper.c_str(); *p; p = CharNextA(p)) {
            if (strncmp(p, suffix, length) == 0)
                return static_cast<DistributorId>(store);
        }
    }
    return DIST_DIRECT;
}

UINT InitSetup() {
    if (!FindAppMgr())
        return IDS_APPMGR_MISSING;

    char modulePath[kTextBufferSize];
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath));
    modulePath[sizeof(modulePath) - 1] = '\0';  // a cut path is not terminated on every system
    g_setupConfig.distributor = length == 0 ? DIST_DIRECT : DistributorFromPath(modulePath);

    g_setupConfig.FillCatalogue();
    LoadProductBitmaps(g_setupConfig);
    return 0;
}

void LoadResourceString(UINT id, std::string& text) {
    char buffer[kTextBufferSize];
    const int length = LoadStringA(g_appInstance, id, buffer, sizeof(buffer));
    text.assign(buffer, length > 0 ? length : 0);
}

void WarnAppMgrMissing() {
    char text[kTextBufferSize];
    if (LoadStringA(g_appInstance, IDS_APPMGR_MISSING, text, sizeof(text)) <= 0)
        text[0] = '\0';
    MessageBoxA(nullptr, text, g_setupConfig.sheetCaption.c_str(), MB_ICONWARNING | MB_OK);
}

void ShowStartupError(UINT reason) {
    std::string text;
    std::string detail;
    LoadResourceString(IDS_INIT_FAILED, text);
    LoadResourceString(reason, detail);
    text += detail;
    MessageBoxA(nullptr, text.c_str(), "Quorvex Setup", MB_ICONERROR | MB_OK);
}

bool IsCopyModeCommandLine(const char* commandLine) {
    return commandLine != nullptr && strcmp(commandLine, "/copyfiles") == 0;
}
