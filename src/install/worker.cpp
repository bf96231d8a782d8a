#include "install/worker.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/setup.h"
#include "install/appmgr.h"
#include "install/download.h"
#include "install/handles.h"
#include "install/setup_files.h"
#include "res/resource.h"

namespace {

int SelectedCount(const CSetupConfig& config) {
    int count = 0;
    for (const CProductInfo& product : config.products)
        count += product.selected ? 1 : 0;
    return count;
}

void SetUpBars(HWND page, int overallRange) {
    SendDlgItemMessageA(page, IDC_OVERALL_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, overallRange));
    SendDlgItemMessageA(page, IDC_OVERALL_PROGRESS, PBM_SETSTEP, 1, 0);
    SendDlgItemMessageA(page, IDC_CURRENT_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void RunDownloadPass(HWND page, CSetupConfig& config) {
    CInternetHandle internet;
    if (OpenInternet(internet, config) && DownloadProducts(internet.Get(), page, config))
        return;
    // The server was never reached: every ticked product fails for that reason, and its files
    // stay as ready as they were.
    for (int position = 0; position < kProductCount; ++position) {
        CProductInfo& product = config.products[kProductOrder[position]];
        if (product.selected)
            product.failureId = IDS_DOWNLOAD_FAILED;
    }
}

}  // namespace

int OverallRange(const CSetupConfig& config) {
    return SelectedCount(config) + (config.products[0].selected ? 0 : 1);
}

DWORD WINAPI InstallWorker(LPVOID parameter) {
    const HWND page = static_cast<HWND>(parameter);
    CSetupConfig& config = g_setupConfig;
    SetUpBars(page, OverallRange(config));

    if (SelectedCount(config) != 0)
        RunDownloadPass(page, config);
    if (!config.products[0].filesReady)
        WriteSetupFiles(page, config);

    if (!RunAppMgr(BuildAppMgrCommandLine(config))) {
        WarnAppMgrMissing();
        return static_cast<DWORD>(-1);
    }
    // Posted: the sheet turns the page on its own thread while this one ends.
    PostMessageA(GetParent(page), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    return 0;
}
