// What the stand-in application manager checks in each package it is handed: the command line,
// the manager .ini, the cabinets with their install header, and the icon. Everything here works on
// strings and bytes in memory; the exe does the file reading and the window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Splits a command line the way the C runtime builds argv. The first element is the program name,
// which ends at the first blank outside quotes and knows no backslash escapes; in the arguments
// 2n backslashes before a quote give n and a quote, 2n+1 give n and a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& line);

// A manager .ini as the profile functions read it: section and key names compare without regard
// to case, blanks and tabs around names and values are dropped, the first occurrence wins. Keys
// before any section belong to the section "".
class CIniFile {
  public:
    void Parse(const std::string& text);
    bool HasSection(const std::string& section) const;
    bool Get(const std::string& section, const std::string& key, std::string* value) const;

  private:
    struct CSection {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    const CSection* Find(const std::string& section) const;

    std::vector<CSection> sections_;
};

// The CFDATA checksum: XOR of the little-endian 32-bit words, leftover bytes packed first-high.
uint32_t CabinetChecksum(const uint8_t* data, size_t size, uint32_t seed);

struct CCabinetInfo {
    std::vector<std::string> memberNames;
    std::string installHeader;  // the bytes of the first member, the .000 install header
};

// Each Check function returns "" for a valid input, otherwise one line saying what is wrong.
std::string CheckCabinet(const std::string& bytes, CCabinetInfo* info);

struct CInstallHeaderInfo {
    std::string appName;
    std::string provider;
    std::string target;  // the folder most files go to, with the %CEn% folders we know spelled out
    std::vector<std::string> fileNames;
    std::vector<int> fileIds;
};

std::string CheckInstallHeader(const std::string& bytes, CInstallHeaderInfo* info);

// iconIndex is the manager's IconIndex; the icon must hold that image.
std::string CheckIcon(const std::string& bytes, int iconIndex);

// Reads a whole file; false when it is missing or unreadable.
using FileReader = std::function<bool(const std::string& path, std::string* bytes)>;

struct CPackageReport {
    std::string iniPath;
    std::vector<std::string> errors;
    std::string component;
    std::string description;
    std::string target;
    uint64_t cabSize = 0;
};

CPackageReport CheckPackage(const std::string& iniPath, const FileReader& read);

// The record the tests read: CR LF lines, "cmdline=", then per package "ini=", "ok" or one
// "error=" line per finding, then whichever of "component=", "description=", "cabsize=",
// "target=" are known; "result=ok" or "result=fail" last.
std::string FormatRecord(const std::string& commandLine, const std::vector<CPackageReport>& reports);
