#include "support/tree_snapshot.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <stdio.h>

#include <set>

#include "support/driver.h"

namespace driver {

namespace {

const char kDriveRoot[] = "C:\\";

std::string Upper(std::string text) {
    if (!text.empty())
        CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// FNV-1a over the file's bytes: enough to tell a rewritten file from an untouched one.
std::string ContentHash(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    unsigned long long hash = 1469598103934665603ull;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char text[32];
    snprintf(text, sizeof(text), "%016llx", hash);
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The HTTP client's own cache. Wine's WinINet keeps every answer there, those to a POST included,
// whatever the caller does with it; it belongs to the client, not to the setup.
std::string HttpCacheKey() {
    char folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::string();
    return Upper(FolderEntry(folder));
}

}  // namespace

std::string FolderEntry(const std::string& folder) {
    return folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
}

CTreeSnapshot::CTreeSnapshot(const std::string& root, const std::string& watched)
    : watchedKey_(Upper(FolderEntry(watched))) {
    Walk(root);
}

void CTreeSnapshot::Walk(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == ".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string path = JoinPath(folder, name);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const std::string spelt = FolderEntry(path);
            entries_[Upper(spelt)] = {spelt, "folder"};
            Walk(path);
            continue;
        }
        char fingerprint[96];
        snprintf(fingerprint, sizeof(fingerprint), "%lu:%lu %08lx%08lx", entry.nFileSizeHigh, entry.nFileSizeLow,
                 entry.ftLastWriteTime.dwHighDateTime, entry.ftLastWriteTime.dwLowDateTime);
        std::string value = fingerprint;
        const std::string key = Upper(path);
        if (!watchedKey_.empty() && StartsWith(key, watchedKey_))
            value += " " + ContentHash(path);
        // Read-only counts: a file that lost it is a file the setup changed.
        value += (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " ro" : "";
        entries_[key] = {path, value};
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::vector<std::string> CTreeSnapshot::ChangesTo(const CTreeSnapshot& later) const {
    std::vector<std::string> changes;
    for (const auto& [key, entry] : entries_) {
        const auto found = later.entries_.find(key);
        if (found == later.entries_.end() || found->second.second != entry.second)
            changes.push_back(entry.first);
    }
    for (const auto& [key, entry] : later.entries_) {
        if (entries_.find(key) == entries_.end())
            changes.push_back(entry.first);
    }
    return changes;
}

CNothingLostGuard::CNothingLostGuard(const std::string& watched) : watched_(watched), before_(kDriveRoot, watched) {}

std::vector<std::string> CNothingLostGuard::Check(const std::vector<std::string>& allowed) const {
    std::set<std::string> allowedKeys;
    for (const std::string& path : allowed)
        allowedKeys.insert(Upper(path));
    const std::string cache = HttpCacheKey();
    const std::vector<std::string> changes = before_.ChangesTo(CTreeSnapshot(kDriveRoot, watched_));
    for (const std::string& path : changes) {
        const std::string key = Upper(path);
        if (allowedKeys.count(key) == 0 && (cache.empty() || !StartsWith(key, cache)))
            ADD_FAILURE() << "changed on the drive, and no scenario step allows it: " << path;
    }
    return changes;
}

}  // namespace driver
