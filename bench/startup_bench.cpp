#include "bench/startup_bench.h"

#include <vector>

#include "bench/measure.h"
#include "bench/remote.h"

namespace {

const DWORD kShowTimeout = 30000;
// Fine enough for start-ups of a few hundred milliseconds, and leaves the machine to the program.
const DWORD kPollMs = 5;
// The first paint is finished well within this, so the peak includes it.
const DWORD kSettleMs = 500;
const double kBytesPerMb = 1024.0 * 1024.0;
// Wine tears a killed process down in the background; the next start should not pay for that.
const DWORD kCoolDownMs = 300;

struct CStartupSample {
    bool shown = false;
    double ms = 0;
    double peakMb = 0;
};

struct CSeries {
    std::vector<double> ms;
    std::vector<double> peakMb;
    void Add(const CStartupSample& sample) {
        ms.push_back(sample.ms);
        peakMb.push_back(sample.peakMb);
    }
};

// From just before the process is created to the first page on screen.
CStartupSample MeasureStartup(const std::string& exe) {
    CStartupSample sample;
    CChildProcess process;
    const double start = NowMs();
    if (!process.Start(exe))
        return sample;
    if (WaitForFirstPage(process.Id(), kShowTimeout, kPollMs) == nullptr)
        return sample;
    sample.ms = NowMs() - start;
    Sleep(kSettleMs);
    sample.peakMb = static_cast<double>(PeakWorkingSet(process.Handle())) / kBytesPerMb;
    sample.shown = true;
    process.Kill();
    Sleep(kCoolDownMs);
    return sample;
}

}  // namespace

bool RunStartupBench(const std::string& setupExe, const std::string& baselineExe, int warmUps, int runs) {
    CSeries setup;
    CSeries baseline;
    // Each pair ran back to back, so its ratio is what a slow spell of the machine disturbs least.
    std::vector<double> ratios;
    // By turns, so that a slow spell of the machine falls on both programs alike, and in turns
    // which goes first, so that neither always starts right after the other.
    for (int run = 0; run < warmUps + runs; ++run) {
        CStartupSample ours;
        CStartupSample floor;
        if (run % 2 == 0) {
            ours = MeasureStartup(setupExe);
            floor = MeasureStartup(baselineExe);
        } else {
            floor = MeasureStartup(baselineExe);
            ours = MeasureStartup(setupExe);
        }
        if (!ours.shown || !floor.shown) {
            PrintNote("startup", ours.shown ? "the baseline showed no page" : "the setup showed no first page");
            return false;
        }
        if (run < warmUps)
            continue;
        setup.Add(ours);
        baseline.Add(floor);
        ratios.push_back(ours.ms / floor.ms);
    }
    PrintMeasure("startup.setup", Summarize(setup.ms), "ms");
    PrintMeasure("startup.baseline", Summarize(baseline.ms), "ms");
    PrintMeasure("startup.ratio", Summarize(ratios), "x");
    PrintMeasure("memory.welcome", Summarize(setup.peakMb), "MB");
    PrintMeasure("memory.baseline", Summarize(baseline.peakMb), "MB");
    return true;
}
