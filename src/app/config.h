// The process-wide setup configuration: where the application manager lives, the sales channel,
// the download address and the fixed catalogue of the maker's five products.
#pragma once

#include <windows.h>

#include <string>

enum DistributorId : int {
    DIST_HANDANGO = 0,
    DIST_POCKETGEAR = 1,
    DIST_POCKETLAND = 2,
    DIST_CLICKAPPS = 3,
    DIST_MOBIHAND = 4,
    DIST_DIRECT = 5,
};

constexpr int kDistributorCount = 6;
constexpr int kStoreCount = 5;  // every distributor but the maker's own channel has a suffix
constexpr int kProductCount = 5;

extern const char* const kDistributorNames[kDistributorCount];
extern const char* const kDistributorCodes[kDistributorCount];
extern const char* const kDistributorSuffixes[kStoreCount];
// List position to catalogue row, for every walk over the products in list order.
extern const int kProductOrder[kProductCount];

struct CProductInfo {
    std::string name;
    std::string description;
    std::string infoUrls[kDistributorCount];
    std::string sloganBitmapName;
    std::string iconBitmapName;
    std::string purchaseUrl;
    HBITMAP sloganBitmap = nullptr;
    HBITMAP iconBitmap = nullptr;
    bool selected = false;
    bool filesReady = false;
    bool installed = false;
    UINT failureId = 0;
};

struct CSetupConfig {
    std::string appMgrDir;
    std::string appMgrPath;
    std::string sheetCaption;
    CProductInfo products[kProductCount];
    DistributorId distributor = DIST_HANDANGO;
    std::string downloadUrl;

    const char* DistributorCode() const;
    // Sets the download address, every text and link of the five rows and the caption.
    void FillCatalogue();
};

// "Quorvex " from before WinMain on; the wizard appends the caption to it once.
extern std::string g_wizardTitle;
extern CSetupConfig g_setupConfig;
