// The whole installation through the real wizard: from Next on the options page to the completion
// page, with a manager that exits at once.
#pragma once

#include <string>

// managerDir holds the registered stand-in manager (with its trailing backslash). Prints the times
// and the peak working set on the completion page, keyed by the number of siblings ticked.
bool RunInstallBench(const std::string& setupExe, const std::string& managerDir, int siblings, int warmUps, int runs);
