// The modal property sheet in classic wizard mode that hosts the five pages.
#pragma once

#include <windows.h>

void RunWizard();
