// The resources of the built setups, read from the exe files themselves: the shipped x86 setup and
// the x64 build that the other suites run.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>

#include "res/resource.h"
#include "support/driver.h"

namespace {

std::string ResourceBytes(HMODULE module, const char* name, const char* type) {
    HRSRC info = FindResourceA(module, name, type);
    if (!info)
        return std::string();
    const void* data = LockResource(LoadResource(module, info));
    return std::string(static_cast<const char*>(data), SizeofResource(module, info));
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

class ExeResourcesTest : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        path_ = driver::Env(GetParam());
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << path_;
    }
    void TearDown() override {
        if (module_)
            FreeLibrary(module_);
    }
    std::string Bytes(const char* name, const char* type) { return ResourceBytes(module_, name, type); }

    std::string path_;
    HMODULE module_ = nullptr;
};

TEST_P(ExeResourcesTest, StringTableHoldsTheExactTexts) {
    const struct {
        UINT id;
        const char* text;
    } kStrings[] = {
        {IDS_APPMGR_MISSING,
         "ActiveSync has not been installed on this machine.  Install ActiveSync 3.0 or above and try again."},
        {IDS_DOWNLOAD_FAILED, "Unable to contact the download server."},
        {IDS_WELCOME_TITLE, "Welcome to the install wizard for \"%s for PocketPC\" by Quorvex"},
        {IDS_WELCOME_TEXT,
         "The install wizard will install %s on your Windows Mobile powered PocketPC device.\nTo continue, click "
         "Next\n\n\n\n\n"},
        {IDS_FOLDER_FAILED, "Unable to create the application folder."},
        {IDS_COPY_FAILED, "Unable to copy the setup files."},
        {IDS_CONFIRM_CANCEL, "Are you sure you want to cancel the setup and exit?"},
        {IDS_FINISH, "Finish"},
        {IDS_INFO_LINK, "Click here to visit %s information page on %s website"},
        {IDS_INIT_FAILED, "Setup Initialization failed.\n"},
    };
    for (const auto& entry : kStrings) {
        char buffer[260] = {};
        LoadStringA(module_, entry.id, buffer, sizeof(buffer));
        EXPECT_STREQ(buffer, entry.text) << "string " << entry.id;
    }
}

TEST_P(ExeResourcesTest, LicenceIsPlainCrLfAsciiOfExactSize) {
    const std::string licence = Bytes(MAKEINTRESOURCEA(IDR_LICENSE), "LIC_TEXT");
    ASSERT_EQ(licence.size(), 6093u);
    for (size_t i = 0; i < licence.size(); ++i) {
        const unsigned char c = licence[i];
        ASSERT_TRUE(c != 0 && c < 0x80) << "byte " << i;
        if (c == '\n') {
            ASSERT_TRUE(i > 0 && licence[i - 1] == '\r') << "bare line feed at " << i;
        }
        if (c == '\r') {
            ASSERT_TRUE(i + 1 < licence.size() && licence[i + 1] == '\n') << "bare carriage return at " << i;
        }
    }
    EXPECT_EQ(licence.substr(licence.size() - 2), "\r\n");
    for (int section = 1; section <= 13; ++section)
        EXPECT_NE(licence.find("\r\n" + std::to_string(section) + ". "), std::string::npos) << "section " << section;
}

TEST_P(ExeResourcesTest, SetupDataHasExactSizesAndIsFoundInSmallLetters) {
    const struct {
        const char* name;
        size_t size;
    } kFiles[] = {{"PROGRAM.CAB", 989440}, {"PROGRAM.DAT", 507}, {"PROGRAM.ICO", 22382}, {"PROGRAM.INI", 201}};
    for (const auto& file : kFiles)
        EXPECT_EQ(Bytes(file.name, "SETUP_DATA").size(), file.size) << file.name;
    EXPECT_EQ(Bytes("PROGRAM.cab", "SETUP_DATA").size(), 989440u);
    EXPECT_EQ(Bytes("program.ini", "setup_data").size(), 201u);

    const std::string ini = Bytes("PROGRAM.INI", "SETUP_DATA");
    EXPECT_EQ(ini,
              "[CEAppManager]\r\nVersion \t= 1.0\r\nComponent\t= Orvella\r\n\r\n[Orvella] \r\n"
              "Description\t= Orvella\r\nUninstall\t= Orvella \r\nCabFiles\t= Orvella.cab\r\n"
              "IconFile\t= Orvella.ico\r\nIconIndex\t= 0\r\nDeviceFile\t= Orvella.exe\r\n");
}

// What the build embedded is exactly what the generator wrote, which the host-side checks
// (cabextract, icotool) accept.
TEST_P(ExeResourcesTest, SetupDataMatchesTheGeneratedPackage) {
    const std::string assets = driver::Env("ORVELLA_ASSET_DIR");
    for (const char* name : {"PROGRAM.CAB", "PROGRAM.DAT", "PROGRAM.ICO", "PROGRAM.INI"})
        EXPECT_TRUE(Bytes(name, "SETUP_DATA") == driver::ReadFileBytes(driver::JoinPath(assets, name))) << name;
    const std::string cabinet = Bytes("PROGRAM.CAB", "SETUP_DATA");
    const std::string header = Bytes("PROGRAM.DAT", "SETUP_DATA");
    ASSERT_GE(cabinet.size(), 36u);
    EXPECT_EQ(cabinet.substr(0, 4), "MSCF");
    // The first member is the install header, stored uncompressed: its bytes stand in the cabinet.
    EXPECT_NE(cabinet.find(header), std::string::npos);
    EXPECT_EQ(header.substr(0, 4), "MSCE");
}

TEST_P(ExeResourcesTest, ProductBitmapsHaveTheirSizes) {
    for (const char* name : {"ORVELLA", "ZENTARO", "PLOVIC", "YARNEX", "BRISKO"}) {
        for (const auto& kind :
             {std::make_pair("_ICON", std::make_pair(64, 64)), std::make_pair("_SLOGAN", std::make_pair(190, 40))}) {
            const std::string resource = std::string(name) + kind.first;
            const std::string bytes = Bytes(resource.c_str(), MAKEINTRESOURCEA(2));
            ASSERT_GE(bytes.size(), sizeof(BITMAPINFOHEADER)) << resource;
            BITMAPINFOHEADER header;
            memcpy(&header, bytes.data(), sizeof(header));
            EXPECT_EQ(header.biWidth, kind.second.first) << resource;
            EXPECT_EQ(header.biHeight, kind.second.second) << resource;
            EXPECT_EQ(header.biBitCount, 24) << resource;
            EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB)) << resource;
        }
    }
}

TEST_P(ExeResourcesTest, IconsHaveTheirImages) {
    const std::string setup = Bytes(MAKEINTRESOURCEA(IDI_SETUP), MAKEINTRESOURCEA(14));
    ASSERT_GE(setup.size(), 6u);
    const WORD count = *reinterpret_cast<const WORD*>(setup.data() + 4);
    ASSERT_EQ(count, 8);
    std::set<std::pair<int, int>> images;
    for (int i = 0; i < count; ++i) {
        GroupIconEntry entry;
        memcpy(&entry, setup.data() + 6 + i * sizeof(entry), sizeof(entry));
        EXPECT_EQ(entry.width, entry.height);
        images.insert({entry.width, entry.bitCount});
    }
    const std::set<std::pair<int, int>> expected = {{48, 8}, {48, 32}, {32, 8}, {32, 32},
                                                    {24, 8}, {24, 32}, {16, 8}, {16, 32}};
    EXPECT_EQ(images, expected);

    const std::string tick = Bytes(MAKEINTRESOURCEA(IDI_LOCKED_TICK), MAKEINTRESOURCEA(14));
    ASSERT_GE(tick.size(), 6u + sizeof(GroupIconEntry));
    GroupIconEntry entry;
    memcpy(&entry, tick.data() + 6, sizeof(entry));
    EXPECT_EQ(*reinterpret_cast<const WORD*>(tick.data() + 4), 1);
    EXPECT_EQ(entry.width, 32);
    EXPECT_EQ(entry.height, 32);
    EXPECT_EQ(entry.bitCount, 4);
}

TEST_P(ExeResourcesTest, ManifestAsksForCommonControlsSix) {
    const std::string manifest = Bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    for (const char* piece : {"xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"",
                              "<assemblyIdentity version=\"1.0.0.0\" processorArchitecture=\"X86\" "
                              "name=\"Quorvex.Setup.Setup\" type=\"win32\"/>",
                              "<description>Quorvex installation program</description>",
                              "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                              "publicKeyToken=\"6595b64144ccf1df\" language=\"*\""})
        EXPECT_NE(manifest.find(piece), std::string::npos) << piece;
    EXPECT_EQ(manifest.find('\n', 0), manifest.size() - 1) << "one line";
}

TEST_P(ExeResourcesTest, PageTemplatesExist) {
    for (int id : {IDD_WELCOME, IDD_LICENSE, IDD_OPTIONS, IDD_PROGRESS, IDD_COMPLETION}) {
        const std::string bytes = Bytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
        ASSERT_GE(bytes.size(), 26u) << id;
        // DLGTEMPLATEEX: version 1, signature 0xFFFF, then the size at offsets 22 and 24.
        EXPECT_EQ(*reinterpret_cast<const WORD*>(bytes.data() + 2), 0xFFFF) << id;
        EXPECT_EQ(*reinterpret_cast<const short*>(bytes.data() + 22), 340) << id;
        EXPECT_EQ(*reinterpret_cast<const short*>(bytes.data() + 24), 162) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Exes,
                         ExeResourcesTest,
                         testing::Values("ORVELLA_SHIPPED_EXE", "ORVELLA_SETUP_EXE"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(strcmp(info.param, "ORVELLA_SHIPPED_EXE") == 0 ? "ShippedX86"
                                                                                               : "TestX64");
                         });

// The shipped file is a 32-bit x86 GUI program that needs no DLL beyond Windows' own. WinINet
// and the shell are loaded at their first call: they stay out of the import table, which the
// loader reads at start-up, while their names are in the image for the delay-load helper.
TEST(ShippedExeTest, IsStaticX86GuiProgram) {
    const std::string image = driver::ReadFileBytes(driver::Env("ORVELLA_SHIPPED_EXE"));
    ASSERT_GT(image.size(), 0x400u);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const auto rvaToOffset = [&](DWORD rva) -> size_t {
        const auto* section = IMAGE_FIRST_SECTION(nt);
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    };
    const DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    size_t offset = rvaToOffset(importRva);
    ASSERT_NE(offset, 0u);
    const std::set<std::string> kSystemDlls = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",
                                               "COMCTL32.DLL", "ADVAPI32.DLL", "MSVCRT.DLL"};
    int count = 0;
    for (;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + offset);
        if (import->Name == 0)
            break;
        std::string name = image.c_str() + rvaToOffset(import->Name);
        for (char& c : name)
            c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        EXPECT_TRUE(kSystemDlls.count(name)) << name;
        ++count;
    }
    EXPECT_GT(count, 0);
    for (const char* delayed : {"wininet.dll", "shell32.dll"})
        EXPECT_NE(image.find(delayed), std::string::npos) << delayed;
}

}  // namespace
