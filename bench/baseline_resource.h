// Resource identifiers of the baseline wizard.
#pragma once

#define IDD_BASELINE_PAGE 100
