#include "support/reliability.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <stdio.h>

#include <sstream>

#include "support/driver.h"
#include "support/tree_snapshot.h"

namespace driver {

const char* const kFileCodes[4] = {"c", "i", "d", "ic"};
const char* const kFileExtensions[4] = {".CAB", ".ini", ".dat", ".ico"};

namespace {

const char kResultsName[] = "reliability.txt";
const char kInstalledHeading[] = "The following products have been installed:\n\n";
const char kFailedHeading[] = "The setup couldn't install the following programs:\n\n";
const char kItem[] = "    - ";

const struct {
    UINT id;
    const char* text;
} kReasons[] = {
    {6, "Unable to contact the download server."},
    {12, "Unable to create the application folder."},
    {13, "Unable to copy the setup files."},
};

// One field of a results line: tabs and line ends would split it.
std::string Field(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

std::string ReasonText(UINT id) {
    for (const auto& reason : kReasons) {
        if (reason.id == id)
            return reason.text;
    }
    return "reason " + std::to_string(id);
}

std::string ReasonId(const std::string& text) {
    for (const auto& reason : kReasons) {
        if (text == reason.text)
            return std::to_string(reason.id);
    }
    return "\"" + text + "\"";
}

std::string FormField(const std::string& body, const std::string& name) {
    const std::string key = name + "=";
    size_t at = body.compare(0, key.size(), key) == 0 ? 0 : body.find("&" + key);
    if (at == std::string::npos)
        return std::string();
    at += at == 0 ? key.size() : key.size() + 1;
    return body.substr(at, body.find('&', at) - at);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

}  // namespace

std::string SessionScratchPath() {
    // As CScratchFolder names the folder of CWizardSession.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    return JoinPath(temp, "orvella-wizard");
}

std::string DeepSessionFolder(size_t length) {
    const size_t base = SessionScratchPath().size() + 1;
    std::string relative;
    size_t left = length - 1 - base;
    while (left > 0) {
        const size_t part = left > 61 ? 60 : left;
        relative += std::string(part, 'd');
        left -= part;
        if (left > 0) {
            relative += '\\';
            --left;
        }
    }
    return relative;
}

CScenarioRecord::CScenarioRecord(std::string group, std::string scenario, std::string expected)
    : group_(std::move(group)), scenario_(std::move(scenario)), expected_(std::move(expected)) {}

CScenarioRecord::~CScenarioRecord() {
    const std::string folder = Env("ORVELLA_ARTIFACT_DIR");
    CreateDirectoryA(folder.c_str(), nullptr);
    FILE* file = fopen(JoinPath(folder, kResultsName).c_str(), "ab");
    if (file == nullptr)
        return;
    const bool passed = !testing::Test::HasFailure();
    fprintf(file, "%s\t%s\t%s\t%s\t%s\n", Field(group_).c_str(), Field(scenario_).c_str(), Field(expected_).c_str(),
            Field(observed_).c_str(), passed ? "pass" : "FAIL");
    fclose(file);
}

std::string SummaryText(const std::vector<std::string>& installed,
                        const std::vector<std::pair<std::string, UINT>>& failed) {
    std::string text;
    if (!installed.empty()) {
        text = kInstalledHeading;
        for (const std::string& name : installed)
            text += kItem + name + "\n";
        text += "\n\n";
    }
    if (!failed.empty()) {
        text += kFailedHeading;
        for (const auto& [name, reason] : failed)
            text += kItem + name + " (" + ReasonText(reason) + ")\n";
    }
    return text;
}

std::string DescribeSummary(const std::string& summary) {
    std::istringstream lines(summary);
    std::string line;
    std::string installed;
    std::string failed;
    std::string* list = nullptr;
    while (std::getline(lines, line)) {
        if (line + "\n\n" == kInstalledHeading) {
            list = &installed;
        } else if (line + "\n\n" == kFailedHeading) {
            list = &failed;
        } else if (line.compare(0, sizeof(kItem) - 1, kItem) == 0 && list != nullptr) {
            std::string item = line.substr(sizeof(kItem) - 1);
            const size_t open = item.find(" (");
            if (list == &failed && open != std::string::npos && item.back() == ')')
                item = item.substr(0, open) + " " + ReasonId(item.substr(open + 2, item.size() - open - 3));
            *list += (list->empty() ? "" : ", ") + item;
        } else if (!line.empty()) {
            return "unexpected summary \"" + Escaped(summary) + "\"";
        }
    }
    if (installed.empty() && failed.empty())
        return "empty summary";
    std::string text;
    if (!installed.empty())
        text = "installed: " + installed;
    if (!failed.empty())
        text += (text.empty() ? "" : "; ") + std::string("failed: ") + failed;
    return text;
}

std::string DescribeRequests(const std::vector<std::string>& bodies) {
    std::string text;
    std::string product;
    for (const std::string& body : bodies) {
        const std::string name = FormField(body, "d");
        if (name != product || text.empty()) {
            text += (text.empty() ? "" : "; ") + name;
            product = name;
        }
        text += " " + FormField(body, "e");
    }
    return text.empty() ? "none" : text;
}

std::vector<std::string> RequestBodies(const std::string& product, int files) {
    std::vector<std::string> bodies;
    for (int file = 0; file < files; ++file)
        bodies.push_back("p=Orvella&d=" + product + "&s=QX&v=2.3&e=" + kFileCodes[file]);
    return bodies;
}

std::string DescribeFiles(const CWizardSession& session, const std::vector<std::string>& products) {
    static const char* const kMainAssets[] = {"PROGRAM.CAB", "PROGRAM.INI", "PROGRAM.DAT", "PROGRAM.ICO"};
    const std::string assets = Env("ORVELLA_ASSET_DIR");
    std::string text;
    for (const std::string& product : products) {
        std::string files;
        for (int file = 0; file < 4; ++file) {
            const std::string path = ProductFile(session, product, kFileExtensions[file]);
            if (!FileExists(path))
                continue;
            const std::string reference =
                product == "Orvella"
                    ? JoinPath(assets, kMainAssets[file])
                    : JoinPath(assets, "siblings\\" + product + "\\" + product + kFileExtensions[file]);
            const std::string bytes = ReadFileBytes(path);
            const std::string wanted = ReadFileBytes(reference);
            files += std::string(" ") + kFileExtensions[file];
            if (bytes.size() < wanted.size() && wanted.compare(0, bytes.size(), bytes) == 0)
                files += "(part)";
            else if (bytes != wanted)
                files += "(differs)";
        }
        text += (text.empty() ? "" : "; ") + product + (files.empty() ? " none" : files);
    }
    return text;
}

std::string DescribeManager(const CStandInManager& manager) {
    if (!manager.HasRun())
        return "no record";
    const std::string line = manager.RecordValue("cmdline");
    std::string text;
    // Each .ini is "<folder>\Quorvex <name>\<name>.ini", quoted.
    for (size_t end = line.find(".ini\""); end != std::string::npos; end = line.find(".ini\"", end + 1)) {
        const size_t start = line.rfind('\\', end) + 1;
        text += (text.empty() ? "" : " ") + line.substr(start, end - start);
    }
    return text.empty() ? "its own path alone" : text;
}

std::string ManagerCommandLine(const CWizardSession& session, const std::vector<std::string>& products) {
    std::string line = "\"" + JoinPath(session.Folder(), "CEAppMgr.exe") + "\" ";
    for (const std::string& product : products)
        line += "\"" + ProductFile(session, product, ".ini") + "\" ";
    return line;
}

std::string CInstallOutcome::Describe() const {
    return DescribeSummary(summary) + " | requests: " + DescribeRequests(requests) + " | files: " + files +
           " | manager: " + manager;
}

CInstallOutcome ObserveInstallation(const CWizardSession& session,
                                    const CDownloadServerControl& server,
                                    const std::string& summary,
                                    const std::vector<std::string>& products) {
    return {summary, server.Bodies(), DescribeFiles(session, products),
            DescribeManager(CStandInManager(session.Folder()))};
}

void ExpectOutcome(const CInstallOutcome& observed, const CInstallOutcome& expected) {
    EXPECT_EQ(observed.summary, expected.summary);
    EXPECT_EQ(observed.requests, expected.requests);
    EXPECT_EQ(observed.files, expected.files);
    EXPECT_EQ(observed.manager, expected.manager);
}

std::vector<std::string> InstallationPaths(const CWizardSession& session, const std::vector<std::string>& products) {
    std::vector<std::string> paths = {JoinPath(session.Folder(), "CEAppMgr.record")};
    for (const std::string& product : products) {
        paths.push_back(FolderEntry(JoinPath(session.Folder(), "Quorvex " + product)));
        for (const char* extension : kFileExtensions)
            paths.push_back(ProductFile(session, product, extension));
    }
    return paths;
}

HANDLE OpenManagerProcess(const std::string& folder) {
    const std::string wanted = JoinPath(folder, "CEAppMgr.exe");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE found = nullptr;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more && found == nullptr;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, "CEAppMgr.exe") != 0)
            continue;
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                     entry.th32ProcessID);
        if (process == nullptr)
            continue;
        char path[MAX_PATH] = {};
        DWORD size = sizeof(path);
        if (QueryFullProcessImageNameA(process, 0, path, &size) && lstrcmpiA(path, wanted.c_str()) == 0)
            found = process;
        else
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

DWORD Finish(CWizardSession& session) {
    PostMessageA(session.SheetItem(kFinishButton), BM_CLICK, 0, 0);
    return session.WaitForExit(20000);
}

}  // namespace driver
