#include "install/setup_files.h"

#include <commctrl.h>

#include <string>

#include "install/appmgr.h"
#include "install/resource_file.h"
#include "res/resource.h"

namespace {

const char kSetupDataType[] = "SETUP_DATA";
// Where the current bar stands after each file, in the order of kSetupFileExtensions.
const int kFileProgress[kSetupFileCount] = {25, 50, 75, 100};

bool Fail(CProductInfo& product, UINT reason) {
    product.failureId = reason;
    return false;
}

}  // namespace

bool WriteSetupFiles(HWND page, CSetupConfig& config) {
    CProductInfo& product = config.products[0];
    const std::string label = "Copying Quorvex " + product.name;
    SetDlgItemTextA(page, IDC_CURRENT_LABEL, label.c_str());

    const std::string folder = ProductFolderPath(config, 0);
    if (!CreateProductFolder(folder))
        return Fail(product, IDS_FOLDER_FAILED);
    SendDlgItemMessageA(page, IDC_CURRENT_PROGRESS, PBM_SETPOS, 0, 0);

    for (int file = 0; file < kSetupFileCount; ++file) {
        const char* extension = kSetupFileExtensions[file];
        const CResourceBytes resource((std::string("PROGRAM") + extension).c_str(), kSetupDataType);
        if (!resource.Found())
            return Fail(product, IDS_COPY_FAILED);
        if (WriteResourceToFile(resource, ProductFilePath(config, 0, extension).c_str()) != kWriteOk)
            return Fail(product, IDS_COPY_FAILED);
        SendDlgItemMessageA(page, IDC_CURRENT_PROGRESS, PBM_SETPOS, kFileProgress[file], 0);
    }

    SendDlgItemMessageA(page, IDC_OVERALL_PROGRESS, PBM_STEPIT, 0, 0);
    product.installed = true;
    product.failureId = 0;
    return true;
}
