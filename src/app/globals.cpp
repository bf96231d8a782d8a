// The three process-wide objects that exist before WinMain. They live in this one translation
// unit on purpose: C++ orders dynamic initialisation only within a unit, and the title string,
// the link atom and the configuration must come up in this order and go down in reverse.
#include "app/config.h"
#include "controls/hyperlink.h"

std::string g_wizardTitle = "Quorvex ";
static const CHyperLinkAtom s_hyperlinkAtom;
CSetupConfig g_setupConfig;
