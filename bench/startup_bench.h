// Start-up and memory on the first page: the setup against the baseline wizard.
#pragma once

#include <string>

// Runs both programs by turns, warmUps times unmeasured and then runs times; prints the start-up
// times and the peak working sets on the first page.
bool RunStartupBench(const std::string& setupExe, const std::string& baselineExe, int warmUps, int runs);
