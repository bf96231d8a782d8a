#include "package_check.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Mutation = std::function<void(std::string&)>;

std::string Le16(uint16_t value) {
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(uint32_t value) {
    return Le16(static_cast<uint16_t>(value & 0xFFFF)) + Le16(static_cast<uint16_t>(value >> 16));
}

void Put16(std::string& bytes, size_t offset, uint16_t value) {
    bytes.replace(offset, 2, Le16(value));
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
    bytes.replace(offset, 4, Le32(value));
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string Zstr(const std::string& text) {
    return text + '\0';
}

// An install header with one application, its strings, directories and files.
struct CHeaderContent {
    std::string app = "Zentaro";
    std::string provider = "Quorvex";
    std::vector<std::pair<uint16_t, std::string>> strings = {{1, "%CE1%"}, {2, "Quorvex"}, {3, "Zentaro"}};
    std::vector<std::pair<uint16_t, std::vector<uint16_t>>> directories = {{1, {1, 2, 3}}};
    std::vector<std::tuple<uint16_t, uint16_t, std::string>> files = {{1, 1, "Zentaro.exe"}, {2, 1, "Readme.txt"}};
};

std::string MakeInstallHeader(const CHeaderContent& content) {
    std::string names = Zstr(content.app) + Zstr(content.provider);
    std::string tables[6];
    for (const auto& s : content.strings)
        tables[0] += Le16(s.first) + Le16(static_cast<uint16_t>(s.second.size() + 1)) + Zstr(s.second);
    for (const auto& d : content.directories) {
        std::string ids;
        for (uint16_t id : d.second)
            ids += Le16(id);
        ids += Le16(0);
        tables[1] += Le16(d.first) + Le16(static_cast<uint16_t>(ids.size())) + ids;
    }
    for (const auto& f : content.files) {
        const std::string& name = std::get<2>(f);
        tables[2] += Le16(std::get<0>(f)) + Le16(std::get<1>(f)) + Le16(std::get<0>(f)) + Le32(0) +
                     Le16(static_cast<uint16_t>(name.size() + 1)) + Zstr(name);
    }
    std::string fixed = "MSCE" + Le32(0) + Le32(0) + Le32(0) + Le32(1) + Le32(0) + Le32(3) + Le32(0) + Le32(6) +
                        Le32(99) + Le32(0) + Le32(0xE0000000);
    fixed += Le16(static_cast<uint16_t>(content.strings.size())) +
             Le16(static_cast<uint16_t>(content.directories.size())) +
             Le16(static_cast<uint16_t>(content.files.size())) + Le16(0) + Le16(0) + Le16(0);
    uint32_t pos = 100 + static_cast<uint32_t>(names.size());
    for (const std::string& table : tables) {
        fixed += Le32(pos);
        pos += static_cast<uint32_t>(table.size());
    }
    fixed += Le16(100) + Le16(static_cast<uint16_t>(content.app.size() + 1));
    fixed += Le16(static_cast<uint16_t>(100 + content.app.size() + 1)) +
             Le16(static_cast<uint16_t>(content.provider.size() + 1));
    fixed += Le32(0) + Le32(0);
    std::string header = fixed + names;
    for (const std::string& table : tables)
        header += table;
    Put32(header, 8, static_cast<uint32_t>(header.size()));
    return header;
}

// A stored single-folder cabinet laid out as device cabinets are: 36-byte header, one folder,
// the member table, then data blocks of at most 32,768 bytes.
std::string MakeCabinet(const std::vector<std::pair<std::string, std::string>>& members, bool checksums = true) {
    std::string table;
    std::string data;
    for (const auto& member : members) {
        table += Le32(static_cast<uint32_t>(member.second.size())) + Le32(static_cast<uint32_t>(data.size())) +
                 Le16(0) + Le16(0x32C1) + Le16(0x6000) + Le16(0x20) + Zstr(member.first);
        data += member.second;
    }
    const size_t kBlock = 32768;
    std::string blocks;
    uint16_t blockCount = 0;
    for (size_t at = 0; at < data.size(); at += kBlock, ++blockCount) {
        std::string chunk = data.substr(at, kBlock);
        std::string sizes = Le16(static_cast<uint16_t>(chunk.size())) + Le16(static_cast<uint16_t>(chunk.size()));
        auto* raw = reinterpret_cast<const uint8_t*>(chunk.data());
        uint32_t sum =
            CabinetChecksum(reinterpret_cast<const uint8_t*>(sizes.data()), 4, CabinetChecksum(raw, chunk.size(), 0));
        blocks += Le32(checksums ? sum : 0) + sizes + chunk;
    }
    const uint32_t tableStart = 36 + 8;
    const uint32_t dataStart = tableStart + static_cast<uint32_t>(table.size());
    std::string header = "MSCF" + Le32(0) + Le32(0) + Le32(0) + Le32(tableStart) + Le32(0) +
                         std::string("\x03\x01", 2) + Le16(1) + Le16(static_cast<uint16_t>(members.size())) + Le16(0) +
                         Le16(0) + Le16(0);
    std::string cab = header + Le32(dataStart) + Le16(blockCount) + Le16(0) + table + blocks;
    Put32(cab, 8, static_cast<uint32_t>(cab.size()));
    return cab;
}

// An icon whose images are each a BITMAPINFOHEADER's size field and a few bytes.
std::string MakeIcon(uint16_t count) {
    std::string directory = Le16(0) + Le16(1) + Le16(count);
    std::string images;
    const uint32_t imageSize = 48;
    for (uint16_t i = 0; i < count; ++i) {
        directory += std::string("\x20\x20\x00\x00", 4) + Le16(1) + Le16(32) + Le32(imageSize) +
                     Le32(6 + 16u * count + imageSize * i);
        images += Le32(40) + std::string(imageSize - 4, '\x11');
    }
    return directory + images;
}

// A cabinet written by gcab (two stored members, non-zero checksum over 31 bytes): an outside
// reference for the checksum and the layout.
const unsigned char kGcabCabinet[] = {
    0x4d, 0x53, 0x43, 0x46, 0x00, 0x00, 0x00, 0x00, 0x8d, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x66, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0xc1, 0x32, 0x00, 0x60, 0x20, 0x00, 0x30, 0x5a, 0x65, 0x6e, 0x74, 0x61, 0x72, 0x6f, 0x2e, 0x30, 0x30, 0x30,
    0x00, 0x0e, 0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc1, 0x32, 0x00, 0x60, 0x20, 0x00, 0x30,
    0x30, 0x52, 0x65, 0x61, 0x64, 0x6d, 0x65, 0x2e, 0x30, 0x30, 0x31, 0x00, 0x09, 0x5b, 0x76, 0x07, 0x1f, 0x00,
    0x1f, 0x00, 0x4d, 0x53, 0x43, 0x45, 0x2d, 0x68, 0x65, 0x61, 0x64, 0x65, 0x72, 0x2d, 0x62, 0x79, 0x74, 0x65,
    0x73, 0x68, 0x65, 0x6c, 0x6c, 0x6f, 0x20, 0x64, 0x65, 0x76, 0x69, 0x63, 0x65, 0x0d, 0x0a,
};

std::string ProgramBytes() {
    std::string program(40000, '\0');  // two data blocks
    for (size_t i = 0; i < program.size(); ++i)
        program[i] = static_cast<char>(i * 7 + i / 256);
    return program;
}

std::string ValidCabinet() {
    return MakeCabinet({{"0Zentaro.000", MakeInstallHeader(CHeaderContent())},
                        {"0Zentaro.001", ProgramBytes()},
                        {"00Readme.002", "read me\r\n"}});
}

// Offsets in ValidCabinet(): the folder entry, and the first and second member entries.
constexpr size_t kFolderEntry = 36;
constexpr size_t kFirstMember = 44;
constexpr size_t kSecondMember = kFirstMember + 16 + 13;

struct CSplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> args;
};

class SplitCommandLineTest : public testing::TestWithParam<CSplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheArguments) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SplitCommandLineTest,
    testing::Values(CSplitCase{"SetupLineWithTrailingBlank",
                               "\"C:\\A M\\CEAppMgr.exe\" \"C:\\A M\\Quorvex Zentaro\\Zentaro.ini\" "
                               "\"C:\\A M\\Quorvex Orvella\\Orvella.ini\" ",
                               {"C:\\A M\\CEAppMgr.exe", "C:\\A M\\Quorvex Zentaro\\Zentaro.ini",
                                "C:\\A M\\Quorvex Orvella\\Orvella.ini"}},
                    CSplitCase{"ManagerAlone", "\"C:\\A M\\CEAppMgr.exe\" ", {"C:\\A M\\CEAppMgr.exe"}},
                    CSplitCase{"UnquotedWithTabs", "CEAppMgr.exe\ta.ini \t b.ini", {"CEAppMgr.exe", "a.ini", "b.ini"}},
                    CSplitCase{"ProgramNameKeepsBackslashBeforeQuote", "\"C:\\dir\\\"x a", {"C:\\dir\\x", "a"}},
                    CSplitCase{"OddBackslashesEscapeQuote", "p a\\\"b c\\\\\\\"d", {"p", "a\"b", "c\\\"d"}},
                    CSplitCase{"EvenBackslashesBeforeClosingQuote", "p \"a\\\\\" b", {"p", "a\\", "b"}},
                    CSplitCase{"BackslashesAloneAreLiteral", "p a\\\\b\\", {"p", "a\\\\b\\"}},
                    CSplitCase{"DoubledQuoteInsideQuotes", "p \"a\"\"b\"", {"p", "a\"b"}},
                    CSplitCase{"EmptyQuotedArgument", "p \"\" x", {"p", "", "x"}},
                    CSplitCase{"QuotesJoinPieces", "p a\"b c\"d", {"p", "ab cd"}}),
    [](const testing::TestParamInfo<CSplitCase>& info) { return std::string(info.param.name); });

struct CIniCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    bool found;
    std::string value;
};

class IniFileTest : public testing::TestWithParam<CIniCase> {};

TEST_P(IniFileTest, FindsTheValue) {
    CIniFile ini;
    ini.Parse(GetParam().text);
    std::string value = "untouched";
    EXPECT_EQ(ini.Get(GetParam().section, GetParam().key, &value), GetParam().found);
    EXPECT_EQ(value, GetParam().found ? GetParam().value : "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    IniFileTest,
    testing::Values(CIniCase{"BlankAndTabBeforeEquals", "[CEAppManager]\r\nVersion \t= 1.0\r\n", "CEAppManager",
                             "Version", true, "1.0"},
                    CIniCase{"TrailingBlankAfterValue", "[Orvella]\r\nUninstall\t= Orvella \r\n", "Orvella",
                             "Uninstall", true, "Orvella"},
                    CIniCase{"TrailingBlankAfterSection", "[Orvella] \r\nCabFiles\t= Orvella.cab\r\n", "Orvella",
                             "CabFiles", true, "Orvella.cab"},
                    CIniCase{"NamesIgnoreCase", "[orvella]\nCABFILES=a.cab\n", "Orvella", "CabFiles", true, "a.cab"},
                    CIniCase{"ValueKeepsLaterEquals", "[S]\nK = a=b\n", "S", "K", true, "a=b"},
                    CIniCase{"QuotedValue", "[S]\nK=\"a b\"\n", "S", "K", true, "a b"},
                    CIniCase{"FirstOccurrenceWins", "[S]\nK=1\n[T]\nK=2\n[S]\nK=3\n", "S", "K", true, "1"},
                    CIniCase{"LaterRepeatOfSectionIsSearched", "[S]\n[T]\n[S]\nK=3\n", "S", "K", true, "3"},
                    CIniCase{"EmptyValue", "[S]\nK\t=\t\r\n", "S", "K", true, ""},
                    CIniCase{"KeyBeforeAnySection", "delay_ms=50\r\n[S]\n", "", "delay_ms", true, "50"},
                    CIniCase{"CommentIsNoKey", "[S]\n;K=1\n", "S", "K", false, ""},
                    CIniCase{"KeyOfOtherSection", "[S]\nK=1\n[T]\n", "T", "K", false, ""},
                    CIniCase{"LineWithoutEquals", "[S]\nK\n", "S", "K", false, ""}),
    [](const testing::TestParamInfo<CIniCase>& info) { return std::string(info.param.name); });

TEST(GcabCabinetTest, PassesEveryCheck) {
    std::string bytes(reinterpret_cast<const char*>(kGcabCabinet), sizeof(kGcabCabinet));
    CCabinetInfo info;
    EXPECT_EQ(CheckCabinet(bytes, &info), "");
    EXPECT_EQ(info.memberNames, (std::vector<std::string>{"0Zentaro.000", "00Readme.001"}));
    EXPECT_EQ(info.installHeader, "MSCE-header-bytes");
}

struct CMutationCase {
    const char* name;
    Mutation mutate;
    std::string error;  // "" for a valid input; otherwise the start of the reason
};

class CabinetTest : public testing::TestWithParam<CMutationCase> {};

TEST_P(CabinetTest, ChecksTheCabinet) {
    std::string bytes = ValidCabinet();
    GetParam().mutate(bytes);
    CCabinetInfo info;
    std::string error = CheckCabinet(bytes, &info);
    EXPECT_EQ(error.substr(0, GetParam().error.size()), GetParam().error) << error;
    EXPECT_EQ(error.empty(), GetParam().error.empty()) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    CabinetTest,
    testing::Values(
        CMutationCase{"Valid", [](std::string&) {}, ""},
        CMutationCase{
            "WithoutChecksums",
            [](std::string& b) {
                b = MakeCabinet({{"0Zentaro.000", MakeInstallHeader(CHeaderContent())}, {"x.001", "x"}}, false);
            },
            ""},
        CMutationCase{"TooShort", [](std::string& b) { b.resize(35); }, "too short for a cabinet"},
        CMutationCase{"Signature", [](std::string& b) { b[0] = 'X'; }, "no MSCF signature"},
        CMutationCase{"SizeDisagrees", [](std::string& b) { b += '\0'; }, "header gives"},
        CMutationCase{"Version", [](std::string& b) { b[25] = 2; }, "format version 2.3"},
        CMutationCase{"PartOfASet", [](std::string& b) { Put16(b, 30, 2); }, "part of a cabinet set"},
        CMutationCase{"NoFolder", [](std::string& b) { Put16(b, 26, 0); }, "no folder"},
        CMutationCase{"NoMember", [](std::string& b) { Put16(b, 28, 0); }, "no member"},
        CMutationCase{"BlockPastEnd", [](std::string& b) { Put16(b, kFolderEntry + 4, 4); },
                      "folder 0: data block 2 starts past the end"},
        CMutationCase{"BadChecksum", [](std::string& b) { b[b.size() - 20] ^= 1; },
                      "folder 0: data block 1 has a bad checksum"},
        CMutationCase{"Compressed", [](std::string& b) { Put16(b, kFolderEntry + 6, 1); },
                      "folder is compressed (type 1)"},
        CMutationCase{"MemberTablePastEnd", [](std::string& b) { Put32(b, 16, static_cast<uint32_t>(b.size() - 10)); },
                      "member table runs past the end"},
        CMutationCase{"MemberBeyondFolder", [](std::string& b) { Put32(b, kSecondMember, 40010); },
                      "member 0Zentaro.001 lies beyond its folder's data"},
        CMutationCase{"ContinuedMember", [](std::string& b) { Put16(b, kSecondMember + 8, 0xFFFD); },
                      "member 0Zentaro.001 is in folder 65533 of 1"},
        CMutationCase{"HeaderNotFirst", [](std::string& b) { b[kFirstMember + 16 + 11] = '3'; },
                      "first member 0Zentaro.003 is not an install header"},
        CMutationCase{"HeaderWithoutSignature",
                      [](std::string& b) {
                          b = MakeCabinet({{"0Zentaro.000", "MSCX"}, {"x.001", "x"}});
                      },
                      "install header 0Zentaro.000 does not start with MSCE"}),
    [](const testing::TestParamInfo<CMutationCase>& info) { return std::string(info.param.name); });

struct CHeaderCase {
    const char* name;
    std::function<void(CHeaderContent&)> edit;
    Mutation mutate;
    std::string error;
    std::string target;
};

class InstallHeaderTest : public testing::TestWithParam<CHeaderCase> {};

TEST_P(InstallHeaderTest, ChecksTheHeader) {
    CHeaderContent content;
    GetParam().edit(content);
    std::string bytes = MakeInstallHeader(content);
    GetParam().mutate(bytes);
    CInstallHeaderInfo info;
    std::string error = CheckInstallHeader(bytes, &info);
    EXPECT_EQ(error.substr(0, GetParam().error.size()), GetParam().error) << error;
    EXPECT_EQ(error.empty(), GetParam().error.empty()) << error;
    if (error.empty()) {
        EXPECT_EQ(info.target, GetParam().target);
    }
}

const auto kAsBuilt = [](CHeaderContent&) {};
const auto kUnchanged = [](std::string&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases,
    InstallHeaderTest,
    testing::Values(
        CHeaderCase{"ProgramFiles", kAsBuilt, kUnchanged, "", "\\Program Files\\Quorvex\\Zentaro"},
        CHeaderCase{"StartMenuIsNotProgramFilesAndA1", [](CHeaderContent& s) { s.strings[0].second = "%CE11%"; },
                    kUnchanged, "", "\\Windows\\Start Menu\\Programs\\Quorvex\\Zentaro"},
        CHeaderCase{"MacroInsideAString", [](CHeaderContent& s) { s.strings[0].second = "%ce1%\\Maker"; }, kUnchanged,
                    "", "\\Program Files\\Maker\\Quorvex\\Zentaro"},
        CHeaderCase{"UnknownMacroKept", [](CHeaderContent& s) { s.strings[0].second = "%CE99%"; }, kUnchanged, "",
                    "%CE99%\\Quorvex\\Zentaro"},
        CHeaderCase{"FolderWithMostFiles",
                    [](CHeaderContent& s) {
                        s.directories.push_back({2, {3}});
                        s.files = {{1, 2, "a"}, {2, 1, "b"}, {3, 1, "c"}};
                    },
                    kUnchanged, "", "\\Program Files\\Quorvex\\Zentaro"},
        CHeaderCase{"TooShort", kAsBuilt, [](std::string& b) { b.resize(99); }, "too short", ""},
        CHeaderCase{"Signature", kAsBuilt, [](std::string& b) { b[3] = 'X'; }, "no MSCE signature", ""},
        CHeaderCase{"LengthDisagrees", kAsBuilt, [](std::string& b) { b += '\0'; }, "header gives", ""},
        CHeaderCase{"TablePastEnd", kAsBuilt, [](std::string& b) { Put32(b, 68, static_cast<uint32_t>(b.size())); },
                    "table 2 starts past the end", ""},
        CHeaderCase{"NoApplicationName", [](CHeaderContent& s) { s.app.clear(); }, kUnchanged, "no application name",
                    ""},
        CHeaderCase{"DirectoryNamesMissingString", [](CHeaderContent& s) { s.directories[0].second.push_back(9); },
                    kUnchanged, "directory 1 names string 9", ""},
        CHeaderCase{"FileInMissingDirectory", [](CHeaderContent& s) { std::get<1>(s.files[1]) = 7; }, kUnchanged,
                    "file Readme.txt goes to directory 7", ""}),
    [](const testing::TestParamInfo<CHeaderCase>& info) { return std::string(info.param.name); });

struct CIconCase {
    const char* name;
    Mutation mutate;
    int iconIndex;
    std::string error;
};

class IconTest : public testing::TestWithParam<CIconCase> {};

TEST_P(IconTest, ChecksTheIcon) {
    std::string bytes = MakeIcon(2);
    GetParam().mutate(bytes);
    std::string error = CheckIcon(bytes, GetParam().iconIndex);
    EXPECT_EQ(error.substr(0, GetParam().error.size()), GetParam().error) << error;
    EXPECT_EQ(error.empty(), GetParam().error.empty()) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    IconTest,
    testing::Values(
        CIconCase{"Valid", kUnchanged, 1, ""},
        CIconCase{"PngImage", [](std::string& b) { b.replace(38, 8, "\x89PNG\r\n\x1a\n"); }, 0, ""},
        CIconCase{"TooShort", [](std::string& b) { b.resize(5); }, 0, "too short for an icon"},
        CIconCase{"Reserved", [](std::string& b) { Put16(b, 0, 1); }, 0, "reserved field is 1"},
        CIconCase{"Cursor", [](std::string& b) { Put16(b, 2, 2); }, 0, "type 2, not an icon"},
        CIconCase{"NoImages", [](std::string& b) { Put16(b, 4, 0); }, 0, "no images"},
        CIconCase{"DirectoryPastEnd", [](std::string& b) { Put16(b, 4, 9); }, 0, "directory of 9 images"},
        CIconCase{"EmptyImage", [](std::string& b) { Put32(b, 6 + 16 + 8, 0); }, 0, "image 1 is empty"},
        CIconCase{"ImageInsideDirectory", [](std::string& b) { Put32(b, 6 + 12, 30); }, 0,
                  "image 0 starts inside the directory"},
        CIconCase{"ImagePastEnd", [](std::string& b) { Put32(b, 6 + 16 + 8, 49); }, 0, "image 1 runs past the end"},
        CIconCase{"NotABitmap", [](std::string& b) { Put32(b, 38, 12); }, 0, "image 0 is neither a bitmap nor PNG"},
        CIconCase{"IndexPastImages", kUnchanged, 2, "IconIndex 2, but the icon holds 2 images"}),
    [](const testing::TestParamInfo<CIconCase>& info) { return std::string(info.param.name); });

// A product folder as the setup leaves it, in memory; names compare without regard to case as on Windows.
class CFakeFolder {
  public:
    CFakeFolder() {
        files_["C:\\M\\Quorvex Zentaro\\Zentaro.ini"] =
            "[CEAppManager]\r\nVersion \t= 1.0\r\nComponent\t= Zentaro\r\n\r\n[Zentaro] \r\n"
            "Description\t= Zentaro for Pocket PC\r\nUninstall\t= Zentaro \r\nCabFiles\t= Zentaro.cab\r\n"
            "IconFile\t= Zentaro.ico\r\nIconIndex\t= 0\r\nDeviceFile\t= Zentaro.exe\r\n";
        files_["C:\\M\\Quorvex Zentaro\\Zentaro.CAB"] = ValidCabinet();
        files_["C:\\M\\Quorvex Zentaro\\Zentaro.ico"] = MakeIcon(1);
    }
    std::string& operator[](const std::string& name) { return files_["C:\\M\\Quorvex Zentaro\\" + name]; }
    void Remove(const std::string& name) { files_.erase("C:\\M\\Quorvex Zentaro\\" + name); }
    bool Read(const std::string& path, std::string* bytes) const {
        for (const auto& file : files_) {
            if (Lower(file.first) == Lower(path)) {
                *bytes = file.second;
                return true;
            }
        }
        return false;
    }

  private:
    static std::string Lower(std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    std::map<std::string, std::string> files_;
};

const char kIniPath[] = "C:\\M\\Quorvex Zentaro\\Zentaro.ini";

CPackageReport CheckFolder(const CFakeFolder& folder) {
    return CheckPackage(kIniPath,
                        [&folder](const std::string& path, std::string* bytes) { return folder.Read(path, bytes); });
}

TEST(ValidPackageTest, GivesWhatTheWindowShows) {
    CPackageReport report = CheckFolder(CFakeFolder());
    EXPECT_EQ(report.errors, std::vector<std::string>());
    EXPECT_EQ(report.component, "Zentaro");
    EXPECT_EQ(report.description, "Zentaro for Pocket PC");
    EXPECT_EQ(report.cabSize, ValidCabinet().size());
    EXPECT_EQ(report.target, "\\Program Files\\Quorvex\\Zentaro");
}

struct CPackageCase {
    const char* name;
    std::function<void(CFakeFolder&)> edit;
    std::vector<std::string> errors;
};

class PackageTest : public testing::TestWithParam<CPackageCase> {};

TEST_P(PackageTest, ReportsEachFinding) {
    CFakeFolder folder;
    GetParam().edit(folder);
    EXPECT_EQ(CheckFolder(folder).errors, GetParam().errors);
}

void EditIni(CFakeFolder& folder, const std::string& from, const std::string& to) {
    folder["Zentaro.ini"] = Replace(folder["Zentaro.ini"], from, to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    PackageTest,
    testing::Values(CPackageCase{"IniMissing",
                                 [](CFakeFolder& f) { f.Remove("Zentaro.ini"); },
                                 {"cannot read C:\\M\\Quorvex Zentaro\\Zentaro.ini"}},
                    CPackageCase{"NoManagerSection",
                                 [](CFakeFolder& f) { EditIni(f, "[CEAppManager]", "[AppManager]"); },
                                 {"no [CEAppManager] section"}},
                    CPackageCase{"NoVersion",
                                 [](CFakeFolder& f) { EditIni(f, "Version", "Versio"); },
                                 {"[CEAppManager] has no Version"}},
                    CPackageCase{"NoComponent",
                                 [](CFakeFolder& f) { EditIni(f, "Component\t= Zentaro", "Component\t= "); },
                                 {"[CEAppManager] has no Component"}},
                    CPackageCase{"ComponentNamesNoSection",
                                 [](CFakeFolder& f) { EditIni(f, "[Zentaro]", "[Zentaro2]"); },
                                 {"no [Zentaro] section, which Component names"}},
                    CPackageCase{"NoCabFiles",
                                 [](CFakeFolder& f) { EditIni(f, "CabFiles", "Cab"); },
                                 {"[Zentaro] has no CabFiles"}},
                    CPackageCase{"CabinetMissing",
                                 [](CFakeFolder& f) { f.Remove("Zentaro.CAB"); },
                                 {"cabinet Zentaro.cab is missing or unreadable"}},
                    CPackageCase{"SecondCabinetBroken",
                                 [](CFakeFolder& f) {
                                     EditIni(f, "= Zentaro.cab", "= Zentaro.cab , Extra.cab");
                                     f["Extra.cab"] = std::string(40, 'x');
                                 },
                                 {"cabinet Extra.cab: no MSCF signature"}},
                    CPackageCase{"EmptyNameInCabFiles",
                                 [](CFakeFolder& f) { EditIni(f, "= Zentaro.cab", "= Zentaro.cab,"); },
                                 {"CabFiles lists an empty name"}},
                    CPackageCase{"HeaderFileWithoutMember",
                                 [](CFakeFolder& f) {
                                     CHeaderContent content;
                                     content.files.push_back({3, 1, "Help.htm"});
                                     f["Zentaro.CAB"] = MakeCabinet({{"0Zentaro.000", MakeInstallHeader(content)},
                                                                     {"0Zentaro.001", "exe"},
                                                                     {"00Readme.002", "txt"}});
                                 },
                                 {"cabinet Zentaro.cab: no member .003 for Help.htm"}},
                    CPackageCase{"BrokenInstallHeader",
                                 [](CFakeFolder& f) {
                                     f["Zentaro.CAB"] = MakeCabinet({{"0Zentaro.000", "MSCE"}});
                                 },
                                 {"cabinet Zentaro.cab: install header: too short (4 bytes)"}},
                    CPackageCase{"DeviceFileNotInHeader",
                                 [](CFakeFolder& f) { EditIni(f, "= Zentaro.exe", "= Other.exe"); },
                                 {"DeviceFile Other.exe is not a file of the install header"}},
                    CPackageCase{"NoIconFile",
                                 [](CFakeFolder& f) { EditIni(f, "IconFile", "Icon"); },
                                 {"[Zentaro] has no IconFile"}},
                    CPackageCase{"IconMissing",
                                 [](CFakeFolder& f) { f.Remove("Zentaro.ico"); },
                                 {"icon Zentaro.ico is missing or unreadable"}},
                    CPackageCase{"IconIndexNotANumber",
                                 [](CFakeFolder& f) { EditIni(f, "IconIndex\t= 0", "IconIndex\t= -1"); },
                                 {"IconIndex -1 is not a number"}},
                    CPackageCase{"CabinetAndIconBothBad",
                                 [](CFakeFolder& f) {
                                     f["Zentaro.CAB"].resize(100);
                                     f["Zentaro.ico"] = "MZ";
                                 },
                                 {"cabinet Zentaro.cab: header gives " + std::to_string(ValidCabinet().size()) +
                                      " bytes, the file has 100",
                                  "icon Zentaro.ico: too short for an icon (2 bytes)"}}),
    [](const testing::TestParamInfo<CPackageCase>& info) { return std::string(info.param.name); });

TEST(RecordTest, ListsFindingsPerPackageAndTheResultLast) {
    CPackageReport good;
    good.iniPath = "C:\\M\\Quorvex Zentaro\\Zentaro.ini";
    good.component = "Zentaro";
    good.description = "Zentaro";
    good.cabSize = 13099;
    good.target = "\\Program Files\\Zentaro";
    CPackageReport bad;
    bad.iniPath = "C:\\M\\Quorvex Orvella\\Orvella.ini";
    bad.errors = {"cabinet Orvella.cab is missing or unreadable", "icon Orvella.ico: no\r\nimages"};
    bad.component = "Orvella";
    EXPECT_EQ(FormatRecord("\"C:\\M\\CEAppMgr.exe\" \"a\" ", {good, bad}),
              "cmdline=\"C:\\M\\CEAppMgr.exe\" \"a\" \r\n"
              "ini=C:\\M\\Quorvex Zentaro\\Zentaro.ini\r\n"
              "ok\r\n"
              "component=Zentaro\r\n"
              "description=Zentaro\r\n"
              "cabsize=13099\r\n"
              "target=\\Program Files\\Zentaro\r\n"
              "ini=C:\\M\\Quorvex Orvella\\Orvella.ini\r\n"
              "error=cabinet Orvella.cab is missing or unreadable\r\n"
              "error=icon Orvella.ico: no  images\r\n"
              "component=Orvella\r\n"
              "result=fail\r\n");
    EXPECT_EQ(FormatRecord("m ", {}), "cmdline=m \r\nresult=ok\r\n");
}

}  // namespace
