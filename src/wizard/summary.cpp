#include "wizard/summary.h"

#include <windows.h>

#include "app/setup.h"

namespace {

std::string FailureReason(UINT failureId) {
    char text[kTextBufferSize];
    const int length = LoadStringA(g_appInstance, failureId, text, sizeof(text));
    return std::string(text, length > 0 ? length : 0);
}

}  // namespace

std::string BuildInstallSummary(const CSetupConfig& config) {
    std::string installed;
    std::string failed;
    for (int position = 0; position < kProductCount; ++position) {
        const CProductInfo& product = config.products[kProductOrder[position]];
        if (product.failureId != 0)
            failed += "    - " + product.name + " (" + FailureReason(product.failureId) + ")\n";
        else if (product.installed)
            installed += "    - " + product.name + "\n";
    }
    std::string summary;
    if (!installed.empty())
        summary = "The following products have been installed:\n\n" + installed + "\n\n";
    if (!failed.empty())
        summary += "The setup couldn't install the following programs:\n\n" + failed;
    return summary;
}
