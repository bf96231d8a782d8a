// The guard for "nothing lost": what the prefix's drive holds before a scenario and after it, so
// that a scenario can state exactly which paths the setup was allowed to touch.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace driver {

// Every folder and file below a root: a folder by its path (ending in a backslash), a file by its
// path with its size and last write time, and below the watched folder also a hash of its bytes.
// Symbolic links are not followed: the prefix links its user folders to the Unix home, which is
// not the prefix's.
class CTreeSnapshot {
  public:
    CTreeSnapshot(const std::string& root, const std::string& watched);
    // Paths added, removed or changed since this snapshot was taken, as they are spelt on disk.
    std::vector<std::string> ChangesTo(const CTreeSnapshot& later) const;

  private:
    void Walk(const std::string& folder);

    std::string watchedKey_;
    // Upper-cased path -> spelling on disk and fingerprint.
    std::map<std::string, std::pair<std::string, std::string>> entries_;
};

// Takes the drive's snapshot at once; Check compares it with the drive as it is then. Paths in
// the allowed list are compared without regard to case; a folder ends in a backslash.
class CNothingLostGuard {
  public:
    // watched: the scenario's scratch folder, whose files are compared byte for byte.
    explicit CNothingLostGuard(const std::string& watched);
    // Adds a test failure for every change outside the allowed list; returns the changes seen.
    std::vector<std::string> Check(const std::vector<std::string>& allowed) const;

  private:
    std::string watched_;
    CTreeSnapshot before_;
};

// "<folder>\" for a folder path, so that it names the folder in an allowed list.
std::string FolderEntry(const std::string& folder);

}  // namespace driver
