// The configuration record and the fixed catalogue.
#include <gtest/gtest.h>

#include <string.h>

#include "app/config.h"

namespace {

TEST(SetupConfigTest, FreshRecordIsEmpty) {
    const CSetupConfig config;
    EXPECT_TRUE(config.appMgrDir.empty());
    EXPECT_TRUE(config.appMgrPath.empty());
    EXPECT_TRUE(config.sheetCaption.empty());
    EXPECT_TRUE(config.downloadUrl.empty());
    EXPECT_EQ(config.distributor, 0);
    for (const CProductInfo& product : config.products) {
        EXPECT_TRUE(product.name.empty());
        EXPECT_TRUE(product.description.empty());
        for (const std::string& url : product.infoUrls)
            EXPECT_TRUE(url.empty());
        EXPECT_TRUE(product.purchaseUrl.empty());
        EXPECT_EQ(product.sloganBitmap, nullptr);
        EXPECT_EQ(product.iconBitmap, nullptr);
        EXPECT_FALSE(product.selected);
        EXPECT_FALSE(product.filesReady);
        EXPECT_FALSE(product.installed);
        EXPECT_EQ(product.failureId, 0u);
    }
}

TEST(SetupConfigTest, CatalogueRowsAndCaption) {
    CSetupConfig config;
    config.FillCatalogue();
    const struct {
        const char* name;
        size_t descriptionLength;
    } kRows[kProductCount] = {{"Orvella", 179}, {"Zentaro", 203}, {"Plovic", 250}, {"Yarnex", 257}, {"Brisko", 172}};
    for (int row = 0; row < kProductCount; ++row) {
        const CProductInfo& product = config.products[row];
        SCOPED_TRACE(kRows[row].name);
        EXPECT_EQ(product.name, kRows[row].name);
        EXPECT_EQ(product.sloganBitmapName, product.name + "_SLOGAN");
        EXPECT_EQ(product.iconBitmapName, product.name + "_ICON");
        EXPECT_NEAR(static_cast<double>(product.description.size()), kRows[row].descriptionLength, 12.0);
        EXPECT_EQ(product.description.find('\n'), std::string::npos);
        EXPECT_EQ(product.description.find('\r'), std::string::npos);
    }
    EXPECT_EQ(config.sheetCaption, "Orvella - Setup");
    EXPECT_EQ(config.downloadUrl, "http://www.quorvex.com/download/Download.php");
}

// Every row's links share paths and query keys; only hosts and numbers differ between rows.
TEST(SetupConfigTest, LinksFollowEachStoresPattern) {
    CSetupConfig config;
    config.FillCatalogue();
    const char* const kPrefixes[kDistributorCount] = {
        "http://www.handango.com/affiliate/PlatformProductDetail.jsp?programId=",
        "http://www.pocketgear.com/software_detail.asp?id=",
        "http://www.pocketland.de/product.php?prod_id=",
        "http://www.clickapps.com/moreinfo.htm?pid=",
        "http://www.mobihand.com/product.asp?id=",
        "http://www.quorvex.com/",
    };
    for (const CProductInfo& product : config.products) {
        for (int store = 0; store < kDistributorCount; ++store)
            EXPECT_EQ(product.infoUrls[store].rfind(kPrefixes[store], 0), 0u) << product.infoUrls[store];
    }
    EXPECT_NE(config.products[0].infoUrls[DIST_HANDANGO].find("&affiliateId="), std::string::npos);
    EXPECT_NE(config.products[0].infoUrls[DIST_HANDANGO].find("&productId="), std::string::npos);
    EXPECT_NE(config.products[0].infoUrls[DIST_POCKETGEAR].find("&associateid="), std::string::npos);
    EXPECT_NE(config.products[1].infoUrls[DIST_HANDANGO], config.products[0].infoUrls[DIST_HANDANGO]);
    EXPECT_EQ(config.products[0].infoUrls[DIST_DIRECT], "http://www.quorvex.com/orvella/summary.html");
    EXPECT_EQ(config.products[0].purchaseUrl, "http://www.quorvex.com/orvella/purchase.html");
    EXPECT_EQ(config.products[4].infoUrls[DIST_DIRECT], "http://www.quorvex.com/brisko/summary.html");
}

TEST(SetupConfigTest, DistributorTables) {
    CSetupConfig config;
    const char* const kCodes[kDistributorCount] = {"HG", "PG", "PL", "CA", "MH", "QX"};
    for (int id = 0; id < kDistributorCount; ++id) {
        config.distributor = static_cast<DistributorId>(id);
        EXPECT_STREQ(config.DistributorCode(), kCodes[id]);
        if (id < kStoreCount) {
            EXPECT_EQ(std::string("_") + kCodes[id], kDistributorSuffixes[id]);
        }
    }
    EXPECT_STREQ(kDistributorNames[DIST_DIRECT], "Quorvex");
    EXPECT_STREQ(kDistributorNames[DIST_POCKETGEAR], "PocketGear");
    for (int position = 0; position < kProductCount; ++position)
        EXPECT_EQ(kProductOrder[position], position);
}

}  // namespace
