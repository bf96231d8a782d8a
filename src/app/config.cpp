#include "app/config.h"

#include <stdio.h>

const char* const kDistributorNames[kDistributorCount] = {"Handango",  "PocketGear", "PocketLand",
                                                          "ClickApps", "MobiHand",   "Quorvex"};
const char* const kDistributorCodes[kDistributorCount] = {"HG", "PG", "PL", "CA", "MH", "QX"};
const char* const kDistributorSuffixes[kStoreCount] = {"_HG", "_PG", "_PL", "_CA", "_MH"};
const int kProductOrder[kProductCount] = {0, 1, 2, 3, 4};

namespace {

const char kMakerHost[] = "http://www.quorvex.com";
// The maker's reseller identifiers at the two stores that ask for them; the same for every product.
const char kHandangoProgramId[] = "4";
const char kHandangoAffiliateId[] = "31647";
const char kPocketGearAssociateId[] = "1297";

struct CatalogueRow {
    const char* name;
    const char* description;
    const char* handangoId;
    const char* pocketGearId;
    const char* pocketLandId;
    const char* clickAppsId;
    const char* mobiHandId;
};

const CatalogueRow kCatalogue[kProductCount] = {
    {"Orvella",
     "Orvella keeps your day in your pocket: appointments, tasks and notes in one clear view that fits the "
     "PocketPC screen. Plan the whole week with a tap and never miss what matters.",
     "118204", "20361", "4417", "9802", "11523"},
    {"Zentaro",
     "Zentaro is the calm way to manage your money on the move. Record every expense in seconds, watch your "
     "budgets fill up in colour, and bring the figures home to your desktop with every synchronisation.",
     "118205", "20362", "4418", "9803", "11524"},
    {"Plovic",
     "Plovic turns your handheld into a travel companion. Keep flights, hotels and meeting places together, "
     "read them offline anywhere in the world, and let the built-in currency and time zone tools do all the "
     "sums for you while you enjoy the trip.",
     "118206", "20363", "4419", "9804", "11525"},
    {"Yarnex",
     "Yarnex is the notebook that thinks in outlines. Capture ideas as they come, fold and unfold whole "
     "branches with a tap, drag topics into place with the stylus, and share your finished outlines with the "
     "desktop word processor when the plan is ready.",
     "118207", "20365", "4420", "9805", "11526"},
    {"Brisko",
     "Brisko is a fast and friendly puzzle game for your PocketPC. Slide the tiles, chain the colours and race "
     "the clock through one hundred levels that fit into any spare minute.",
     "118208", "20366", "4421", "9806", "11527"},
};

std::string Lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string Format(const char* format, const char* a, const char* b = "", const char* c = "") {
    // The system's formatter, as FormatText; it does not terminate a text that fills the buffer.
    char buffer[260];
    _snprintf(buffer, sizeof(buffer) - 1, format, a, b, c);
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

}  // namespace

const char* CSetupConfig::DistributorCode() const {
    return kDistributorCodes[distributor];
}

void CSetupConfig::FillCatalogue() {
    downloadUrl = std::string(kMakerHost) + "/download/Download.php";
    for (int row = 0; row < kProductCount; ++row) {
        const CatalogueRow& source = kCatalogue[row];
        CProductInfo& product = products[row];
        const std::string page = std::string(kMakerHost) + "/" + Lowercase(source.name);
        product.name = source.name;
        product.description = source.description;
        product.infoUrls[DIST_HANDANGO] = Format(
            "http://www.handango.com/affiliate/PlatformProductDetail.jsp?programId=%s&affiliateId=%s&productId=%s",
            kHandangoProgramId, kHandangoAffiliateId, source.handangoId);
        product.infoUrls[DIST_POCKETGEAR] = Format("http://www.pocketgear.com/software_detail.asp?id=%s&associateid=%s",
                                                   source.pocketGearId, kPocketGearAssociateId);
        product.infoUrls[DIST_POCKETLAND] =
            Format("http://www.pocketland.de/product.php?prod_id=%s", source.pocketLandId);
        product.infoUrls[DIST_CLICKAPPS] = Format("http://www.clickapps.com/moreinfo.htm?pid=%s", source.clickAppsId);
        product.infoUrls[DIST_MOBIHAND] = Format("http://www.mobihand.com/product.asp?id=%s", source.mobiHandId);
        product.infoUrls[DIST_DIRECT] = page + "/summary.html";
        product.sloganBitmapName = product.name + "_SLOGAN";
        product.iconBitmapName = product.name + "_ICON";
        product.purchaseUrl = page + "/purchase.html";
    }
    sheetCaption = products[0].name + " - Setup";
}
