// Measures the setup from outside, as a user meets it: start-up and memory against the baseline
// wizard, and whole installations driven through the real pages.
//   bench_runner.exe startup SETUP_EXE BASELINE_EXE RUNS
//   bench_runner.exe install SETUP_EXE MANAGER_DIR SIBLINGS RUNS
// Prints one MEASURE line per figure (see measure.h); exit code 1 when a figure could not be taken.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/install_bench.h"
#include "bench/startup_bench.h"

namespace {

// Unmeasured runs first, so that every measured run finds Wine and the file cache warm.
const int kWarmUps = 2;

int Usage() {
    fprintf(stderr,
            "usage: bench_runner.exe startup SETUP_EXE BASELINE_EXE RUNS\n"
            "       bench_runner.exe install SETUP_EXE MANAGER_DIR SIBLINGS RUNS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && strcmp(argv[1], "startup") == 0)
        return RunStartupBench(argv[2], argv[3], kWarmUps, atoi(argv[4])) ? 0 : 1;
    if (argc == 6 && strcmp(argv[1], "install") == 0)
        return RunInstallBench(argv[2], argv[3], atoi(argv[4]), kWarmUps, atoi(argv[5])) ? 0 : 1;
    return Usage();
}
