// The completion page's account of the run: what was installed and what failed, and why.
#pragma once

#include <string>

#include "app/config.h"

// Installed rows first, then failed rows with their reason, each list in list order. A row with a
// failure is listed only among the failures; a row with neither flag is not mentioned.
std::string BuildInstallSummary(const CSetupConfig& config);
