// The completion page's summary for each mix of outcomes.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "wizard/summary.h"

namespace {

struct Outcome {
    bool installed;
    UINT failureId;
};

struct SummaryCase {
    const char* name;
    Outcome rows[kProductCount];
    const char* expected;
};

const SummaryCase kCases[] = {
    {"Nothing", {}, ""},
    {"OnlyMainInstalled", {{true, 0}}, "The following products have been installed:\n\n    - Orvella\n\n\n"},
    {"MainAndSiblingInstalledInListOrder",
     {{true, 0}, {false, 0}, {true, 0}},
     "The following products have been installed:\n\n    - Orvella\n    - Plovic\n\n\n"},
    {"MainInstalledSiblingUnreachable",
     {{true, 0}, {false, IDS_DOWNLOAD_FAILED}},
     "The following products have been installed:\n\n    - Orvella\n\n\n"
     "The setup couldn't install the following programs:\n\n"
     "    - Zentaro (Unable to contact the download server.)\n"},
    {"OnlyFailuresStartWithTheirHeading",
     {{false, IDS_COPY_FAILED}, {false, 0}, {false, 0}, {false, IDS_FOLDER_FAILED}},
     "The setup couldn't install the following programs:\n\n"
     "    - Orvella (Unable to copy the setup files.)\n"
     "    - Yarnex (Unable to create the application folder.)\n"},
    {"FailureWinsOverInstalledFlag",
     {{true, 0}, {true, IDS_DOWNLOAD_FAILED}, {false, 0}, {false, 0}, {true, 0}},
     "The following products have been installed:\n\n    - Orvella\n    - Brisko\n\n\n"
     "The setup couldn't install the following programs:\n\n"
     "    - Zentaro (Unable to contact the download server.)\n"},
};

class SummaryTest : public testing::TestWithParam<SummaryCase> {};

TEST_P(SummaryTest, ListsInstalledThenFailedProducts) {
    CSetupConfig config;
    config.FillCatalogue();
    for (int row = 0; row < kProductCount; ++row) {
        config.products[row].installed = GetParam().rows[row].installed;
        config.products[row].failureId = GetParam().rows[row].failureId;
    }
    EXPECT_EQ(BuildInstallSummary(config), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Outcomes,
                         SummaryTest,
                         testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SummaryCase>& info) { return std::string(info.param.name); });

}  // namespace
