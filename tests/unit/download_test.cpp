// The download protocol: the request, the answer checks and the progress arithmetic as tables,
// then whole passes against the local download server, which records every request byte for byte
// and bends its answers as faults.txt says.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "support/wire.h"
#include "install/download.h"
#include "install_fixture.h"
#include "res/resource.h"

namespace {

struct BodyCase {
    DistributorId distributor;
    int row;
    const char* code;
    const char* expected;
};

TEST(DownloadRequestTest, FiveFieldsInFixedOrderWithRawValues) {
    const BodyCase kCases[] = {
        {DIST_DIRECT, 1, "c", "p=Orvella&d=Zentaro&s=QX&v=2.3&e=c"},
        {DIST_HANDANGO, 4, "ic", "p=Orvella&d=Brisko&s=HG&v=2.3&e=ic"},
        {DIST_POCKETGEAR, 2, "i", "p=Orvella&d=Plovic&s=PG&v=2.3&e=i"},
        {DIST_POCKETLAND, 3, "d", "p=Orvella&d=Yarnex&s=PL&v=2.3&e=d"},
        {DIST_CLICKAPPS, 1, "c", "p=Orvella&d=Zentaro&s=CA&v=2.3&e=c"},
        {DIST_MOBIHAND, 0, "i", "p=Orvella&d=Orvella&s=MH&v=2.3&e=i"},
    };
    CSetupConfig config;
    config.FillCatalogue();
    for (const BodyCase& entry : kCases) {
        config.distributor = entry.distributor;
        EXPECT_EQ(BuildRequestBody(config, entry.row, entry.code), entry.expected);
    }
    config.products[2].name = "Big Sky&Co";
    EXPECT_EQ(BuildRequestBody(config, 2, "c"), "p=Orvella&d=Big Sky&Co&s=MH&v=2.3&e=c");
    EXPECT_EQ(DownloadUserAgent(config), "Quorvex Orvella Setup");
}

TEST(DownloadAnswerTest, OnlyAnExactOctetStreamWithLengthAndStatus200) {
    const struct {
        DWORD status;
        DWORD length;
        const char* type;
        bool accepted;
    } kCases[] = {
        {200, 13099, "application/octet-stream", true},
        {200, 1, "application/octet-stream", true},
        {404, 13099, "application/octet-stream", false},
        {500, 13099, "application/octet-stream", false},
        {206, 13099, "application/octet-stream", false},
        {200, 0, "application/octet-stream", false},
        {200, 13099, "application/octet-stream; charset=binary", false},
        {200, 13099, "application/octet-stream ", false},
        {200, 13099, "Application/Octet-Stream", false},
        {200, 13099, "text/html", false},
        {200, 13099, "", false},
    };
    for (const auto& entry : kCases) {
        EXPECT_EQ(IsAnswerAccepted(entry.status, entry.length, entry.type), entry.accepted)
            << entry.status << " " << entry.length << " '" << entry.type << "'";
    }
}

TEST(DownloadPercentTest, NeitherWrapsNorPassesOneHundred) {
    const struct {
        ULONGLONG received;
        DWORD length;
        int percent;
    } kCases[] = {
        {0, 13099, 0},
        {4096, 13099, 31},
        {13099, 13099, 100},
        // received x 100 no longer fits in 32 bits from about 42.9 MB on.
        {50000000, 100000000, 50},
        {45000000, 45000000, 100},
        {4000000000u, 4294967295u, 93},
        // A body longer than announced.
        {13611, 13099, 100},
        {9000000000ull, 13099, 100},
    };
    for (const auto& entry : kCases)
        EXPECT_EQ(DownloadPercent(entry.received, entry.length), entry.percent)
            << entry.received << "/" << entry.length;
}

TEST(DownloadPercentTest, BodyShorterThanAnnouncedIsIncomplete) {
    EXPECT_FALSE(IsBodyComplete(6549, 13099));
    EXPECT_FALSE(IsBodyComplete(0, 1));
    EXPECT_TRUE(IsBodyComplete(13099, 13099));
    EXPECT_TRUE(IsBodyComplete(13611, 13099));
    EXPECT_TRUE(IsNoConnectionError(ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_TRUE(IsNoConnectionError(ERROR_INTERNET_NAME_NOT_RESOLVED));
    EXPECT_FALSE(IsNoConnectionError(ERROR_HTTP_INVALID_SERVER_RESPONSE));
    EXPECT_FALSE(IsNoConnectionError(ERROR_INTERNET_CONNECTION_RESET));
}

TEST(DownloadPercentTest, NothingBeyondTheAnnouncedLengthIsKept) {
    const struct {
        ULONGLONG received;
        DWORD read;
        DWORD length;
        DWORD kept;
    } kCases[] = {
        {0, 4096, 13099, 4096},
        {12288, 811, 13099, 811},
        // The last chunk carries bytes past the announced end, or only such bytes.
        {12288, 4096, 13099, 811},
        {0, 1019, 507, 507},
        {507, 512, 507, 0},
        {0, 0, 507, 0},
    };
    for (const auto& entry : kCases)
        EXPECT_EQ(BytesToKeep(entry.received, entry.read, entry.length), entry.kept)
            << entry.received << " + " << entry.read << " of " << entry.length;
}

// A pass over the local server, the product folders in a scratch folder.
class DownloadPassTest : public testing::Test {
  protected:
    bool RunPass() {
        CInternetHandle internet;
        EXPECT_TRUE(OpenInternet(internet, g_setupConfig));
        return DownloadProducts(internet.Get(), page_.Page(), g_setupConfig);
    }
    CProductInfo& Row(int row) const { return g_setupConfig.products[row]; }
    std::string Fetched(int row, const char* extension) const {
        return driver::ReadFileBytes(ProductFilePath(g_setupConfig, row, extension));
    }
    void ExpectArrived(int row) const {
        for (const char* extension : kSetupFileExtensions) {
            EXPECT_TRUE(Fetched(row, extension) == SiblingAsset(Row(row).name, extension))
                << Row(row).name << extension;
        }
        EXPECT_TRUE(Row(row).filesReady);
        EXPECT_TRUE(Row(row).installed);
        EXPECT_EQ(Row(row).failureId, 0u);
    }

    driver::CScratchFolder folder_{"download"};
    CConfigScope config_{folder_.Path() + "\\"};
    CServerControl server_;
    CProgressPage page_;
};

struct WireCase {
    const char* name;
    DistributorId distributor;
    const char* code;
};

class DownloadWireTest : public DownloadPassTest, public testing::WithParamInterface<WireCase> {};

TEST_P(DownloadWireTest, OneSiblingArrivesThroughFourExactRequests) {
    g_setupConfig.distributor = GetParam().distributor;
    Row(1).selected = true;

    EXPECT_TRUE(RunPass());

    EXPECT_EQ(server_.RequestedFiles(),
              (std::vector<std::string>{"Zentaro/c", "Zentaro/i", "Zentaro/d", "Zentaro/ic"}));
    const std::string channel = GetParam().code;
    EXPECT_EQ(server_.RequestBytes(1), ExpectedRequest("p=Orvella&d=Zentaro&s=" + channel + "&v=2.3&e=c"));
    EXPECT_EQ(server_.RequestBytes(4), ExpectedRequest("p=Orvella&d=Zentaro&s=" + channel + "&v=2.3&e=ic"));
    ExpectArrived(1);
    EXPECT_EQ(page_.Labels(), std::vector<std::string>{"Downloading Quorvex Zentaro"});
    EXPECT_EQ(page_.OverallSteps(), 1);
    // Each file takes the bar from 0 forward to 100, and the bar is never sent the position it
    // already shows: the cabinet's chunks and the end of its body both make 100.
    const std::vector<int> positions = page_.CurrentPositions();
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.front(), 0);
    EXPECT_EQ(positions.back(), 100);
    int files = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (positions[i] == 0) {
            EXPECT_TRUE(i == 0 || positions[i - 1] == 100) << CProgressPage::Join(positions);
            ++files;
        } else {
            EXPECT_GT(positions[i], positions[i - 1]) << CProgressPage::Join(positions);
            EXPECT_LE(positions[i], 100) << CProgressPage::Join(positions);
        }
    }
    EXPECT_EQ(files, 4) << CProgressPage::Join(positions);
}

const WireCase kWireCases[] = {
    {"SoldDirectly", DIST_DIRECT, "QX"},
    {"SoldByAStore", DIST_POCKETLAND, "PL"},
};

INSTANTIATE_TEST_SUITE_P(Channels,
                         DownloadWireTest,
                         testing::ValuesIn(kWireCases),
                         [](const testing::TestParamInfo<WireCase>& info) { return info.param.name; });

TEST_F(DownloadPassTest, ReadyProductIsNotFetchedAgainButStepsTheBar) {
    Row(1).selected = true;
    Row(1).filesReady = true;
    Row(1).installed = true;
    Row(2).selected = true;

    EXPECT_TRUE(RunPass());

    EXPECT_EQ(server_.RequestedFiles(), (std::vector<std::string>{"Plovic/c", "Plovic/i", "Plovic/d", "Plovic/ic"}));
    EXPECT_FALSE(driver::FileExists(ProductFolderPath(g_setupConfig, 1)));
    ExpectArrived(2);
    EXPECT_TRUE(Row(1).filesReady);
    EXPECT_TRUE(Row(1).installed);
    EXPECT_EQ(page_.Labels(), std::vector<std::string>{"Downloading Quorvex Plovic"});
    EXPECT_EQ(page_.OverallSteps(), 2);
}

struct RefusalCase {
    const char* name;
    const char* faults;
    bool readOnlyIni;
    UINT failureId;
};

// Every case spoils Zentaro's second file; Plovic comes after it in the catalogue.
const RefusalCase kRefusalCases[] = {
    {"NotFound", "Zentaro i 404\n", false, IDS_DOWNLOAD_FAILED},
    {"ServerError", "Zentaro i 500\n", false, IDS_DOWNLOAD_FAILED},
    {"TypeWithCharset", "Zentaro i ctype application/octet-stream; charset=binary\n", false, IDS_DOWNLOAD_FAILED},
    {"TypeInCapitals", "Zentaro i ctype Application/Octet-Stream\n", false, IDS_DOWNLOAD_FAILED},
    {"OtherType", "Zentaro i ctype text/plain\n", false, IDS_DOWNLOAD_FAILED},
    {"NoType", "Zentaro i noctype\n", false, IDS_DOWNLOAD_FAILED},
    {"NoLength", "Zentaro i nolen\n", false, IDS_DOWNLOAD_FAILED},
    {"Chunked", "Zentaro i chunked\n", false, IDS_DOWNLOAD_FAILED},
    {"LengthZero", "Zentaro i len0\n", false, IDS_DOWNLOAD_FAILED},
    {"ShortBody", "Zentaro i short\n", false, IDS_DOWNLOAD_FAILED},
    {"ResetWhileReading", "Zentaro i reset\n", false, IDS_DOWNLOAD_FAILED},
    {"ClosedWithoutAnswer", "Zentaro i drop\n", false, IDS_DOWNLOAD_FAILED},
    {"TargetReadOnly", "", true, IDS_COPY_FAILED},
};

class DownloadRefusalTest : public DownloadPassTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(DownloadRefusalTest, ProductFailsKeepsEarlierFilesAndTheNextIsFetched) {
    server_.SetFaults(GetParam().faults);
    const std::string zentaroIni = ProductFilePath(g_setupConfig, 1, ".ini");
    if (GetParam().readOnlyIni) {
        ASSERT_TRUE(CreateDirectoryA(ProductFolderPath(g_setupConfig, 1).c_str(), nullptr));
        ASSERT_TRUE(driver::WriteFileBytes(zentaroIni, "kept"));
        ASSERT_TRUE(SetFileAttributesA(zentaroIni.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    Row(1).selected = true;
    Row(2).selected = true;

    EXPECT_TRUE(RunPass());

    EXPECT_EQ(server_.RequestedFiles(),
              (std::vector<std::string>{"Zentaro/c", "Zentaro/i", "Plovic/c", "Plovic/i", "Plovic/d", "Plovic/ic"}));
    EXPECT_EQ(Row(1).failureId, GetParam().failureId);
    EXPECT_FALSE(Row(1).filesReady);
    EXPECT_FALSE(Row(1).installed);
    EXPECT_TRUE(Fetched(1, ".CAB") == SiblingAsset("Zentaro", ".CAB"));
    EXPECT_FALSE(driver::FileExists(ProductFilePath(g_setupConfig, 1, ".dat")));
    EXPECT_FALSE(driver::FileExists(ProductFilePath(g_setupConfig, 1, ".ico")));
    if (GetParam().readOnlyIni) {
        EXPECT_EQ(driver::ReadFileBytes(zentaroIni), "kept");
    }
    ExpectArrived(2);
    EXPECT_EQ(page_.OverallSteps(), 2);
}

INSTANTIATE_TEST_SUITE_P(Faults,
                         DownloadRefusalTest,
                         testing::ValuesIn(kRefusalCases),
                         [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(DownloadPassTest, FolderThatCannotBeMadeFailsEachProductWithoutRequests) {
    g_setupConfig.appMgrDir = folder_ / "gone\\";
    Row(1).selected = true;
    Row(2).selected = true;

    EXPECT_TRUE(RunPass());

    EXPECT_TRUE(server_.RequestedFiles().empty());
    for (int row : {1, 2}) {
        EXPECT_EQ(Row(row).failureId, static_cast<UINT>(IDS_FOLDER_FAILED));
        EXPECT_FALSE(Row(row).filesReady);
        EXPECT_FALSE(Row(row).installed);
    }
    EXPECT_EQ(page_.Labels(), (std::vector<std::string>{"Downloading Quorvex Zentaro", "Downloading Quorvex Plovic"}));
    EXPECT_EQ(page_.OverallSteps(), 0);
}

// The proxy points at a port where nobody listens: the pass reports that the server could not be
// reached and leaves every row as it found it; the worker then gives the reason.
TEST_F(DownloadPassTest, NoServerLeavesEveryRowAsItWas) {
    const driver::CProxyOverride proxy("127.0.0.1:1");
    Row(1).selected = true;
    Row(3).selected = true;
    Row(3).installed = true;

    EXPECT_FALSE(RunPass());

    EXPECT_TRUE(server_.RequestedFiles().empty());
    EXPECT_FALSE(Row(1).installed);
    EXPECT_TRUE(Row(3).installed);
    for (int row : {1, 3}) {
        EXPECT_FALSE(Row(row).filesReady);
        EXPECT_EQ(Row(row).failureId, 0u);
    }
    EXPECT_EQ(page_.OverallSteps(), 0);
}

}  // namespace
