#include "wizard/wizard.h"

#include "app/config.h"

void RunWizard() {
    g_wizardTitle += g_setupConfig.sheetCaption;
}
