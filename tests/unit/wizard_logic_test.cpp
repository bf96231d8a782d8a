// The wizard's arithmetic and text decisions, as tables: centring with its clamps, the title font
// height, the header offset, the build line, the fixed-size text formatting and the purchase page.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/config.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/wizard.h"

namespace {

struct CentreCase {
    const char* name;
    RECT reference;
    RECT bounds;
    int width, height;
    LONG x, y;
};

const CentreCase kCentreCases[] = {
    {"OnTheWorkArea", {0, 0, 1024, 738}, {0, 0, 1024, 738}, 700, 500, 162, 119},
    {"OddSumsTruncate", {0, 0, 1023, 767}, {0, 0, 1023, 767}, 101, 51, 511 - 50, 383 - 25},
    {"NegativeCentreTruncatesTowardZero", {-1023, -767, 0, 0}, {-1024, -768, 0, 0}, 100, 100, -511 - 50, -383 - 50},
    {"WiderThanTheBoundsTakesTheLeftEdge", {0, 0, 1024, 738}, {0, 0, 1024, 738}, 1100, 300, 0, 219},
    {"TallerThanTheBoundsTakesTheTopEdge", {0, 0, 1024, 738}, {0, 0, 1024, 738}, 300, 800, 362, 0},
    // Only a centred position left of the bounds snaps to their left edge; otherwise the right edge wins.
    {"WiderWithTheCentreFarRightEndsLeftOfTheBounds", {800, 0, 1000, 738}, {0, 0, 1024, 738}, 1100, 300, -76, 219},
    {"WiderThanOffsetBoundsTakesTheirLeftEdge", {100, 0, 1124, 738}, {100, 0, 1124, 738}, 1100, 300, 100, 219},
    {"ReferenceOverTheRightEdgeIsClampedIn", {900, 100, 1100, 300}, {0, 0, 1024, 738}, 200, 100, 824, 150},
    {"ReferenceOverTheBottomEdgeIsClampedIn", {100, 700, 300, 900}, {0, 0, 1024, 738}, 200, 100, 100, 638},
    {"ReferenceOverTheTopLeftIsClampedIn", {-300, -300, -100, -100}, {0, 0, 1024, 738}, 200, 100, 0, 0},
    {"ExactFitStays", {0, 0, 1024, 738}, {0, 0, 1024, 738}, 1024, 738, 0, 0},
};

class CenteredPositionTest : public testing::TestWithParam<CentreCase> {};

TEST_P(CenteredPositionTest, CentresThenClamps) {
    const CentreCase& c = GetParam();
    const POINT position = ComputeCenteredPosition(c.reference, c.bounds, c.width, c.height);
    EXPECT_EQ(position.x, c.x);
    EXPECT_EQ(position.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(WizardLogic,
                         CenteredPositionTest,
                         testing::ValuesIn(kCentreCases),
                         [](const testing::TestParamInfo<CentreCase>& info) { return std::string(info.param.name); });

TEST(WizardLogicTest, TitleFontHeightFollowsTheDpi) {
    const struct {
        int dpi;
        int height;
    } cases[] = {{72, -11}, {96, -15}, {120, -19}, {144, -23}, {192, -30}, {288, -46}};
    for (const auto& c : cases)
        EXPECT_EQ(TitleFontHeight(c.dpi), c.height) << c.dpi << " dpi";
}

TEST(WizardLogicTest, HeaderOffsetAndShift) {
    const struct {
        int bannerHeight;
        int offset;
        int shift;
    } cases[] = {
        {40, 64, 32},  // the slogan banner
        {21, 45, 22},  // no banner: the template's 13 dialog units; half an odd offset truncates
        {0, 24, 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HeaderOffset(c.bannerHeight), c.offset) << c.bannerHeight;
        EXPECT_EQ(HeaderShift(HeaderOffset(c.bannerHeight)), c.shift) << c.bannerHeight;
    }
}

TEST(WizardLogicTest, BuildLineNamesTheProductAndTheBuild) {
    EXPECT_EQ(BuildLineText("Orvella"), "Orvella (Build 2.3.0.230)");
}

TEST(WizardLogicTest, FormatTextStaysInsideItsBuffer) {
    char buffer[kTextBufferSize];
    EXPECT_EQ(FormatText(buffer, "Click here to visit %s information page on %s website", "Orvella", "Handango"), 64);
    EXPECT_STREQ(buffer, "Click here to visit Orvella information page on Handango website");

    const std::string exact(kTextBufferSize - 1, 'a');
    EXPECT_EQ(FormatText(buffer, "%s", exact.c_str()), kTextBufferSize - 1);
    EXPECT_EQ(std::string(buffer), exact);

    // A longer result is cut, never written past the buffer, and stays terminated.
    struct {
        char text[kTextBufferSize];
        char guard[16];
    } guarded;
    memset(guarded.guard, 'G', sizeof(guarded.guard));
    const std::string longName(400, 'b');
    EXPECT_EQ(FormatText(guarded.text, "Welcome %s!", longName.c_str()), kTextBufferSize - 1);
    EXPECT_EQ(strlen(guarded.text), static_cast<size_t>(kTextBufferSize - 1));
    EXPECT_EQ(std::string(guarded.text, 8), "Welcome ");
    EXPECT_EQ(std::string(guarded.guard, sizeof(guarded.guard)), std::string(sizeof(guarded.guard), 'G'));
}

TEST(WizardLogicTest, BuyNowOpensThePurchasePageOnlyForTheMakersChannel) {
    CSetupConfig config;
    config.FillCatalogue();
    const CProductInfo& product = config.products[0];
    for (int distributor = 0; distributor < kDistributorCount; ++distributor) {
        const std::string& expected = distributor == DIST_DIRECT ? product.purchaseUrl : product.infoUrls[distributor];
        EXPECT_EQ(PurchasePageUrl(product, static_cast<DistributorId>(distributor)), expected)
            << kDistributorNames[distributor];
    }
    EXPECT_EQ(PurchasePageUrl(product, DIST_DIRECT), "http://www.quorvex.com/orvella/purchase.html");
}

}  // namespace
