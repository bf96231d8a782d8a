// Measures the install engine in its own process, against the plain system calls that do the
// same work: the setup files against CopyFileA, a sibling download against a minimal WinINet
// reader. Both sides run by turns on a worker thread beside the shown progress page.
//   bench_engine.exe extract FOLDER RUNS
//   bench_engine.exe download SIBLING_NAME FOLDER RUNS
// FOLDER (with its trailing backslash) plays the manager's folder. Prints MEASURE lines (see
// measure.h); exit code 1 when a figure could not be taken.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/setup.h"
#include "bench/measure.h"
#include "bench/minimal_reader.h"
#include "bench/progress_host.h"
#include "install/appmgr.h"
#include "install/download.h"
#include "install/handles.h"
#include "install/setup_files.h"

namespace {

const int kWarmUps = 2;
const int kSiblingRow = 1;
const double kBytesPerMb = 1000.0 * 1000.0;

struct CPairedSeries {
    std::vector<double> ours;
    std::vector<double> reference;
    // Our time over the reference's, pair by pair: above 1 when ours is slower.
    std::vector<double> slowdowns;
};

// Runs both sides by turns; false as soon as either fails.
bool RunPaired(CProgressHost& host,
               int runs,
               const std::function<bool()>& ours,
               const std::function<bool()>& reference,
               CPairedSeries& series) {
    for (int run = 0; run < kWarmUps + runs; ++run) {
        const double oursMs = host.TimeJob(ours);
        const double referenceMs = host.TimeJob(reference);
        if (oursMs < 0 || referenceMs < 0)
            return false;
        if (run < kWarmUps)
            continue;
        series.ours.push_back(oursMs);
        series.reference.push_back(referenceMs);
        series.slowdowns.push_back(oursMs / referenceMs);
    }
    return true;
}

void ResetOutcome(CProductInfo& product) {
    product.filesReady = false;
    product.installed = false;
    product.failureId = 0;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

long long ProductBytes(const CSetupConfig& config, int row) {
    long long total = 0;
    for (const char* extension : kSetupFileExtensions)
        total += FileSize(ProductFilePath(config, row, extension));
    return total;
}

// Milliseconds of each run to megabytes per second.
std::vector<double> ToRates(const std::vector<double>& ms, long long bytes) {
    std::vector<double> rates;
    for (double time : ms)
        rates.push_back(static_cast<double>(bytes) / kBytesPerMb / (time / 1000.0));
    return rates;
}

// Slowdowns (our time over the reference's) to relative speeds.
std::vector<double> Speeds(const std::vector<double>& slowdowns) {
    std::vector<double> speeds;
    for (double slowdown : slowdowns)
        speeds.push_back(1.0 / slowdown);
    return speeds;
}

CSetupConfig FilledConfig(const std::string& folder) {
    CSetupConfig config;
    config.FillCatalogue();
    config.distributor = DIST_DIRECT;
    config.appMgrDir = folder;
    config.appMgrPath = folder + "CEAppMgr.exe";
    return config;
}

int RunExtract(const std::string& folder, int runs) {
    CSetupConfig config = FilledConfig(folder);
    CProgressHost host;
    // The extracted files themselves are the source of the plain copy: the same bytes.
    const std::string copyFolder = folder + "copy";
    CreateDirectoryA(copyFolder.c_str(), nullptr);
    // Without a page the progress messages go nowhere: what is left is the writing itself.
    HWND page = host.Page();
    const auto extract = [&] {
        ResetOutcome(config.products[0]);
        return WriteSetupFiles(page, config);
    };
    const auto copy = [&] {
        for (const char* extension : kSetupFileExtensions) {
            const std::string name = config.products[0].name + extension;
            if (!CopyFileA(ProductFilePath(config, 0, extension).c_str(), (copyFolder + "\\" + name).c_str(), FALSE))
                return false;
        }
        return true;
    };
    CPairedSeries series;
    if (!RunPaired(host, runs, extract, copy, series)) {
        PrintNote("extract", "writing or copying the setup files failed");
        return 1;
    }
    PrintMeasure("extract.setup", Summarize(series.ours), "ms");
    PrintMeasure("extract.copy", Summarize(series.reference), "ms");
    PrintMeasure("extract.ratio", Summarize(series.slowdowns), "x");
    page = nullptr;
    CPairedSeries quiet;
    if (RunPaired(host, runs, extract, copy, quiet)) {
        PrintMeasure("extract.quiet.setup", Summarize(quiet.ours), "ms");
        PrintMeasure("extract.quiet.ratio", Summarize(quiet.slowdowns), "x");
    }
    char text[128];
    snprintf(text, sizeof(text), "%lld bytes in four files", ProductBytes(config, 0));
    PrintNote("extract", text);
    return 0;
}

int RunDownload(const std::string& sibling, const std::string& folder, int runs) {
    CSetupConfig config = FilledConfig(folder);
    for (CProductInfo& product : config.products)
        product.selected = false;
    CProductInfo& product = config.products[kSiblingRow];
    product.name = sibling;
    product.selected = true;

    // The reader sends exactly the product's requests and writes where the product writes.
    const std::string minimalFolder = folder + "minimal";
    CreateDirectoryA(minimalFolder.c_str(), nullptr);
    std::vector<CMinimalRequest> requests;
    for (int file = 0; file < kSetupFileCount; ++file) {
        requests.push_back({BuildRequestBody(config, kSiblingRow, kDownloadFileCodes[file]),
                            minimalFolder + "\\" + sibling + kSetupFileExtensions[file]});
    }

    CProgressHost host;
    HWND page = host.Page();
    long long minimalBytes = 0;
    const auto download = [&] {
        ResetOutcome(product);
        CInternetHandle internet;
        return OpenInternet(internet, config) && DownloadProducts(internet.Get(), page, config) && product.installed;
    };
    const auto minimal = [&] {
        minimalBytes = MinimalDownload(config.downloadUrl, DownloadUserAgent(config), requests);
        return minimalBytes > 0;
    };
    CPairedSeries series;
    if (!RunPaired(host, runs, download, minimal, series)) {
        PrintNote(("download." + sibling).c_str(), "a download failed; is the server serving this sibling?");
        return 1;
    }
    const long long bytes = ProductBytes(config, kSiblingRow);
    if (bytes != minimalBytes) {
        PrintNote(("download." + sibling).c_str(), "the product and the reader received different byte counts");
        return 1;
    }
    PrintMeasure(("download." + sibling + ".setup").c_str(), Summarize(ToRates(series.ours, bytes)), "MB/s");
    PrintMeasure(("download." + sibling + ".minimal").c_str(), Summarize(ToRates(series.reference, bytes)), "MB/s");
    PrintMeasure(("download." + sibling + ".ratio").c_str(), Summarize(Speeds(series.slowdowns)), "x");
    // The same pass with no page to report to: the protocol code alone against the reader.
    page = nullptr;
    CPairedSeries quiet;
    if (RunPaired(host, runs, download, minimal, quiet))
        PrintMeasure(("download." + sibling + ".quiet.ratio").c_str(), Summarize(Speeds(quiet.slowdowns)), "x");
    return 0;
}

int Usage() {
    fprintf(stderr,
            "usage: bench_engine.exe extract FOLDER RUNS\n"
            "       bench_engine.exe download SIBLING_NAME FOLDER RUNS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The setup's own resources are linked into this program: the templates and setup files.
    g_appInstance = GetModuleHandleA(nullptr);
    if (argc == 4 && strcmp(argv[1], "extract") == 0)
        return RunExtract(argv[2], atoi(argv[3]));
    if (argc == 5 && strcmp(argv[1], "download") == 0)
        return RunDownload(argv[2], argv[3], atoi(argv[4]));
    return Usage();
}
