#include "package_check.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {

constexpr char kManagerSection[] = "CEAppManager";

constexpr size_t kCabHeaderSize = 36;
constexpr size_t kCabFolderSize = 8;
constexpr size_t kCabFileFixedSize = 16;
constexpr size_t kCabDataHeaderSize = 8;
constexpr size_t kCabMaxNameLength = 256;
constexpr uint16_t kCabFlagPrevCabinet = 0x0001;
constexpr uint16_t kCabFlagNextCabinet = 0x0002;
constexpr uint16_t kCabFlagReservePresent = 0x0004;
constexpr uint16_t kCabCompressionMask = 0x000F;
constexpr uint16_t kCabCompressionNone = 0;

constexpr size_t kHeaderFixedSize = 100;
constexpr int kHeaderTableCount = 6;
constexpr int kStringTable = 0;
constexpr int kDirectoryTable = 1;
constexpr int kFileTable = 2;
constexpr size_t kHeaderFileFixedSize = 12;

constexpr size_t kIconDirSize = 6;
constexpr size_t kIconEntrySize = 16;
constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// The device's folder macros that packages use for install folders and links.
const std::map<int, std::string> kDeviceFolders = {
    {1, "\\Program Files"},        {2, "\\Windows"}, {5, "\\My Documents"}, {11, "\\Windows\\Start Menu\\Programs"},
    {17, "\\Windows\\Start Menu"},
};

bool Fits(const std::string& bytes, uint64_t offset, uint64_t count) {
    return offset <= bytes.size() && count <= bytes.size() - offset;
}

uint8_t Byte(const std::string& bytes, size_t offset) {
    return static_cast<uint8_t>(bytes[offset]);
}

uint16_t Le16(const std::string& bytes, size_t offset) {
    return static_cast<uint16_t>(Byte(bytes, offset) | Byte(bytes, offset + 1) << 8);
}

uint32_t Le32(const std::string& bytes, size_t offset) {
    return static_cast<uint32_t>(Le16(bytes, offset)) | static_cast<uint32_t>(Le16(bytes, offset + 2)) << 16;
}

std::string Num(uint64_t value) {
    return std::to_string(value);
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The text of a NUL-terminated string in a field of `length` bytes; without a NUL the whole field.
std::string FieldText(const std::string& bytes, size_t offset, size_t length) {
    std::string field = bytes.substr(offset, length);
    return field.substr(0, field.find('\0'));
}

struct CCabFolder {
    uint32_t firstBlock = 0;
    uint16_t blockCount = 0;
    uint16_t compression = 0;
    uint64_t length = 0;                            // uncompressed bytes of all its blocks
    std::vector<std::pair<size_t, size_t>> blocks;  // offset and size of each block's data
};

struct CCabMember {
    uint32_t size = 0;
    uint32_t offset = 0;  // within the folder's uncompressed data
    uint16_t folder = 0;
    std::string name;
};

std::string ReadCabFolderBlocks(const std::string& bytes, size_t dataReserve, size_t index, CCabFolder* folder) {
    const std::string where = "folder " + Num(index) + ": data block ";
    uint64_t pos = folder->firstBlock;
    for (uint16_t block = 0; block < folder->blockCount; ++block) {
        if (!Fits(bytes, pos, kCabDataHeaderSize + dataReserve))
            return where + Num(block) + " starts past the end";
        uint32_t stored = Le32(bytes, pos);
        uint16_t packed = Le16(bytes, pos + 4);
        uint16_t unpacked = Le16(bytes, pos + 6);
        uint64_t data = pos + kCabDataHeaderSize + dataReserve;
        if (!Fits(bytes, data, packed))
            return where + Num(block) + " runs past the end";
        if ((folder->compression & kCabCompressionMask) == kCabCompressionNone && packed != unpacked)
            return where + Num(block) + " is stored but gives two sizes";
        // A zero checksum means the writer did not compute one.
        if (stored != 0) {
            auto* raw = reinterpret_cast<const uint8_t*>(bytes.data());
            uint32_t computed = CabinetChecksum(raw + pos + 4, 4, CabinetChecksum(raw + data, packed, 0));
            if (computed != stored)
                return where + Num(block) + " has a bad checksum";
        }
        folder->blocks.emplace_back(static_cast<size_t>(data), packed);
        folder->length += unpacked;
        pos = data + packed;
    }
    return std::string();
}

std::string ReadCabMembers(const std::string& bytes, size_t pos, uint16_t count, std::vector<CCabMember>* members) {
    for (uint16_t i = 0; i < count; ++i) {
        if (!Fits(bytes, pos, kCabFileFixedSize + 1))
            return "member table runs past the end";
        CCabMember member;
        member.size = Le32(bytes, pos);
        member.offset = Le32(bytes, pos + 4);
        member.folder = Le16(bytes, pos + 8);
        size_t nameStart = pos + kCabFileFixedSize;
        size_t nameEnd = bytes.find('\0', nameStart);
        if (nameEnd == std::string::npos || nameEnd - nameStart > kCabMaxNameLength)
            return "member " + Num(i) + " has no name end";
        member.name = bytes.substr(nameStart, nameEnd - nameStart);
        if (member.name.empty())
            return "member " + Num(i) + " has an empty name";
        members->push_back(member);
        pos = nameEnd + 1;
    }
    return std::string();
}

std::string StoredMemberBytes(const std::string& bytes, const CCabFolder& folder, const CCabMember& member) {
    std::string out;
    uint64_t start = member.offset;
    uint64_t end = start + member.size;
    uint64_t blockStart = 0;
    for (const auto& block : folder.blocks) {
        uint64_t blockEnd = blockStart + block.second;
        if (blockEnd > start && blockStart < end) {
            uint64_t from = std::max(start, blockStart);
            uint64_t to = std::min(end, blockEnd);
            out.append(bytes, block.first + (from - blockStart), to - from);
        }
        blockStart = blockEnd;
    }
    return out;
}

// Spells out %CEn% folder macros that we know; others stay as written.
std::string ExpandDeviceFolders(const std::string& path) {
    std::string out;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t close = path.find('%', pos + 1);
        if (path[pos] == '%' && close != std::string::npos && close > pos + 3 &&
            EqualsNoCase(path.substr(pos + 1, 2), "CE")) {
            std::string digits = path.substr(pos + 3, close - pos - 3);
            bool numeric = digits.size() <= 3 && digits.find_first_not_of("0123456789") == std::string::npos;
            auto known = numeric ? kDeviceFolders.find(std::stoi(digits)) : kDeviceFolders.end();
            if (known != kDeviceFolders.end()) {
                out += known->second;
                pos = close + 1;
                continue;
            }
        }
        out += path[pos++];
    }
    return out;
}

// Keeps one value on one record line, whatever bytes a damaged file put into a name.
std::string OneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> items;
    size_t start = 0;
    while (true) {
        size_t comma = list.find(',', start);
        items.push_back(Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

void CheckCabinetFiles(const CIniFile& ini, const std::string& folder, const FileReader& read, CPackageReport* report) {
    const std::string& component = report->component;
    std::string list;
    if (!ini.Get(component, "CabFiles", &list) || list.empty()) {
        report->errors.push_back("[" + component + "] has no CabFiles");
        return;
    }
    std::vector<std::string> deviceFiles;
    bool headerRead = false;
    for (const std::string& name : SplitList(list)) {
        std::string bytes;
        if (name.empty()) {
            report->errors.push_back("CabFiles lists an empty name");
            continue;
        }
        if (!read(folder + name, &bytes)) {
            report->errors.push_back("cabinet " + name + " is missing or unreadable");
            continue;
        }
        CCabinetInfo cab;
        std::string why = CheckCabinet(bytes, &cab);
        if (!why.empty()) {
            report->errors.push_back("cabinet " + name + ": " + why);
            continue;
        }
        report->cabSize += bytes.size();
        CInstallHeaderInfo header;
        why = CheckInstallHeader(cab.installHeader, &header);
        if (!why.empty()) {
            report->errors.push_back("cabinet " + name + ": install header: " + why);
            continue;
        }
        headerRead = true;
        if (report->target.empty())
            report->target = header.target;
        // The device installer finds each file of the header as the member whose extension is its id.
        for (size_t i = 0; i < header.fileIds.size(); ++i) {
            char extension[8];
            snprintf(extension, sizeof(extension), ".%03d", header.fileIds[i] % 1000);
            bool found = false;
            for (const std::string& member : cab.memberNames)
                found = found || EndsWithNoCase(member, extension);
            if (!found)
                report->errors.push_back("cabinet " + name + ": no member " + extension + " for " +
                                         header.fileNames[i]);
            deviceFiles.push_back(header.fileNames[i]);
        }
    }
    std::string deviceFile;
    if (headerRead && ini.Get(component, "DeviceFile", &deviceFile) && !deviceFile.empty()) {
        bool found = false;
        for (const std::string& file : deviceFiles)
            found = found || EqualsNoCase(file, deviceFile);
        if (!found)
            report->errors.push_back("DeviceFile " + deviceFile + " is not a file of the install header");
    }
}

void CheckIconFile(const CIniFile& ini, const std::string& folder, const FileReader& read, CPackageReport* report) {
    const std::string& component = report->component;
    std::string name;
    if (!ini.Get(component, "IconFile", &name) || name.empty()) {
        report->errors.push_back("[" + component + "] has no IconFile");
        return;
    }
    std::string index = "0";
    ini.Get(component, "IconIndex", &index);
    if (index.empty() || index.size() > 4 || index.find_first_not_of("0123456789") != std::string::npos) {
        report->errors.push_back("IconIndex " + index + " is not a number");
        return;
    }
    std::string bytes;
    if (!read(folder + name, &bytes)) {
        report->errors.push_back("icon " + name + " is missing or unreadable");
        return;
    }
    std::string why = CheckIcon(bytes, std::stoi(index));
    if (!why.empty())
        report->errors.push_back("icon " + name + ": " + why);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    size_t pos = 0;
    auto isBlank = [&](size_t at) { return line[at] == ' ' || line[at] == '\t'; };

    std::string program;
    bool quoted = false;
    for (; pos < line.size() && (quoted || !isBlank(pos)); ++pos) {
        if (line[pos] == '"')
            quoted = !quoted;
        else
            program += line[pos];
    }
    args.push_back(program);

    while (true) {
        while (pos < line.size() && isBlank(pos))
            ++pos;
        if (pos >= line.size())
            return args;
        std::string arg;
        quoted = false;
        while (pos < line.size() && (quoted || !isBlank(pos))) {
            if (line[pos] == '\\') {
                size_t backslashes = 0;
                while (pos < line.size() && line[pos] == '\\') {
                    ++backslashes;
                    ++pos;
                }
                if (pos < line.size() && line[pos] == '"') {
                    arg.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        arg += '"';
                        ++pos;
                    }
                } else {
                    arg.append(backslashes, '\\');
                }
            } else if (line[pos] == '"') {
                // Inside quotes a doubled quote stands for one, as the C runtime has read it since 2008.
                if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
                    arg += '"';
                    pos += 2;
                } else {
                    quoted = !quoted;
                    ++pos;
                }
            } else {
                arg += line[pos++];
            }
        }
        args.push_back(arg);
    }
}

void CIniFile::Parse(const std::string& text) {
    sections_.assign(1, CSection());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            CSection section;
            section.name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            sections_.push_back(section);
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (!key.empty())
            sections_.back().entries.emplace_back(key, value);
    }
}

const CIniFile::CSection* CIniFile::Find(const std::string& section) const {
    for (const CSection& candidate : sections_) {
        if (EqualsNoCase(candidate.name, section))
            return &candidate;
    }
    return nullptr;
}

bool CIniFile::HasSection(const std::string& section) const {
    return Find(section) != nullptr;
}

bool CIniFile::Get(const std::string& section, const std::string& key, std::string* value) const {
    // A section may appear twice; its keys are searched in the order they were written.
    for (const CSection& candidate : sections_) {
        if (!EqualsNoCase(candidate.name, section))
            continue;
        for (const auto& entry : candidate.entries) {
            if (EqualsNoCase(entry.first, key)) {
                *value = entry.second;
                return true;
            }
        }
    }
    return false;
}

uint32_t CabinetChecksum(const uint8_t* data, size_t size, uint32_t seed) {
    uint32_t sum = seed;
    size_t words = size / 4;
    for (size_t i = 0; i < words; ++i, data += 4)
        sum ^= static_cast<uint32_t>(data[0]) | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    uint32_t tail = 0;
    for (size_t i = 0; i < size % 4; ++i)
        tail = tail << 8 | data[i];
    return sum ^ tail;
}

std::string CheckCabinet(const std::string& bytes, CCabinetInfo* info) {
    if (bytes.size() < kCabHeaderSize)
        return "too short for a cabinet (" + Num(bytes.size()) + " bytes)";
    if (bytes.compare(0, 4, "MSCF") != 0)
        return "no MSCF signature";
    if (Le32(bytes, 8) != bytes.size())
        return "header gives " + Num(Le32(bytes, 8)) + " bytes, the file has " + Num(bytes.size());
    if (Byte(bytes, 25) != 1 || Byte(bytes, 24) != 3)
        return "format version " + Num(Byte(bytes, 25)) + "." + Num(Byte(bytes, 24)) + ", not 1.3";
    uint32_t memberTable = Le32(bytes, 16);
    uint16_t folderCount = Le16(bytes, 26);
    uint16_t memberCount = Le16(bytes, 28);
    uint16_t flags = Le16(bytes, 30);
    if (flags & (kCabFlagPrevCabinet | kCabFlagNextCabinet))
        return "part of a cabinet set; a package cabinet must stand alone";
    if (folderCount == 0)
        return "no folder";
    if (memberCount == 0)
        return "no member";

    size_t pos = kCabHeaderSize;
    size_t folderReserve = 0;
    size_t dataReserve = 0;
    if (flags & kCabFlagReservePresent) {
        if (!Fits(bytes, pos, 4))
            return "reserve sizes run past the end";
        folderReserve = Byte(bytes, pos + 2);
        dataReserve = Byte(bytes, pos + 3);
        pos += 4 + Le16(bytes, pos);
    }
    std::vector<CCabFolder> folders(folderCount);
    for (size_t i = 0; i < folderCount; ++i, pos += kCabFolderSize + folderReserve) {
        if (!Fits(bytes, pos, kCabFolderSize + folderReserve))
            return "folder table runs past the end";
        folders[i].firstBlock = Le32(bytes, pos);
        folders[i].blockCount = Le16(bytes, pos + 4);
        folders[i].compression = Le16(bytes, pos + 6);
        std::string why = ReadCabFolderBlocks(bytes, dataReserve, i, &folders[i]);
        if (!why.empty())
            return why;
    }

    std::vector<CCabMember> members;
    std::string why = ReadCabMembers(bytes, memberTable, memberCount, &members);
    if (!why.empty())
        return why;
    for (const CCabMember& member : members) {
        if (member.folder >= folderCount)
            return "member " + member.name + " is in folder " + Num(member.folder) + " of " + Num(folderCount);
        if (static_cast<uint64_t>(member.offset) + member.size > folders[member.folder].length)
            return "member " + member.name + " lies beyond its folder's data";
    }

    const CCabMember& first = members.front();
    if (!EndsWithNoCase(first.name, ".000"))
        return "first member " + first.name + " is not an install header (.000)";
    const CCabFolder& folder = folders[first.folder];
    if ((folder.compression & kCabCompressionMask) != kCabCompressionNone)
        return "folder is compressed (type " + Num(folder.compression & kCabCompressionMask) +
               "); only stored cabinets are read here";
    std::string header = StoredMemberBytes(bytes, folder, first);
    if (header.compare(0, 4, "MSCE") != 0)
        return "install header " + first.name + " does not start with MSCE";

    info->memberNames.clear();
    for (const CCabMember& member : members)
        info->memberNames.push_back(member.name);
    info->installHeader = header;
    return std::string();
}

std::string CheckInstallHeader(const std::string& bytes, CInstallHeaderInfo* info) {
    if (bytes.size() < kHeaderFixedSize)
        return "too short (" + Num(bytes.size()) + " bytes)";
    if (bytes.compare(0, 4, "MSCE") != 0)
        return "no MSCE signature";
    if (Le32(bytes, 8) != bytes.size())
        return "header gives " + Num(Le32(bytes, 8)) + " bytes, the member has " + Num(bytes.size());
    uint16_t counts[kHeaderTableCount];
    uint32_t offsets[kHeaderTableCount];
    for (int i = 0; i < kHeaderTableCount; ++i) {
        counts[i] = Le16(bytes, 48 + 2 * i);
        offsets[i] = Le32(bytes, 60 + 4 * i);
        if (counts[i] != 0 && !Fits(bytes, offsets[i], 1))
            return "table " + Num(i) + " starts past the end";
    }
    const size_t nameFields[2] = {84, 88};
    std::string names[2];
    for (int i = 0; i < 2; ++i) {
        uint16_t offset = Le16(bytes, nameFields[i]);
        uint16_t length = Le16(bytes, nameFields[i] + 2);
        if (!Fits(bytes, offset, length))
            return (i == 0 ? "application" : "provider") + std::string(" name runs past the end");
        names[i] = FieldText(bytes, offset, length);
    }
    if (names[0].empty())
        return "no application name";

    std::map<uint16_t, std::string> strings;
    size_t pos = offsets[kStringTable];
    for (uint16_t i = 0; i < counts[kStringTable]; ++i) {
        if (!Fits(bytes, pos, 4) || !Fits(bytes, pos + 4, Le16(bytes, pos + 2)))
            return "string table runs past the end";
        strings.emplace(Le16(bytes, pos), FieldText(bytes, pos + 4, Le16(bytes, pos + 2)));
        pos += 4 + Le16(bytes, pos + 2);
    }

    std::map<uint16_t, std::string> directories;
    pos = offsets[kDirectoryTable];
    for (uint16_t i = 0; i < counts[kDirectoryTable]; ++i) {
        if (!Fits(bytes, pos, 4) || !Fits(bytes, pos + 4, Le16(bytes, pos + 2)))
            return "directory table runs past the end";
        uint16_t id = Le16(bytes, pos);
        size_t end = pos + 4 + Le16(bytes, pos + 2);
        std::string path;
        for (size_t at = pos + 4; at + 2 <= end && Le16(bytes, at) != 0; at += 2) {
            auto part = strings.find(Le16(bytes, at));
            if (part == strings.end())
                return "directory " + Num(id) + " names string " + Num(Le16(bytes, at)) + ", which is not there";
            path += (path.empty() ? "" : "\\") + part->second;
        }
        directories.emplace(id, ExpandDeviceFolders(path));
        pos = end;
    }

    std::map<uint16_t, int> filesPerDirectory;
    uint16_t busiest = 0;
    info->fileNames.clear();
    info->fileIds.clear();
    pos = offsets[kFileTable];
    for (uint16_t i = 0; i < counts[kFileTable]; ++i) {
        if (!Fits(bytes, pos, kHeaderFileFixedSize) || !Fits(bytes, pos + kHeaderFileFixedSize, Le16(bytes, pos + 10)))
            return "file table runs past the end";
        std::string name = FieldText(bytes, pos + kHeaderFileFixedSize, Le16(bytes, pos + 10));
        uint16_t directory = Le16(bytes, pos + 2);
        if (directories.count(directory) == 0)
            return "file " + name + " goes to directory " + Num(directory) + ", which is not there";
        // The install folder is where most files go; on a tie, the folder that got there first.
        if (++filesPerDirectory[directory] > filesPerDirectory[busiest])
            busiest = directory;
        info->fileIds.push_back(Le16(bytes, pos));
        info->fileNames.push_back(name);
        pos += kHeaderFileFixedSize + Le16(bytes, pos + 10);
    }

    info->appName = names[0];
    info->provider = names[1];
    info->target = busiest != 0 ? directories[busiest] : std::string();
    return std::string();
}

std::string CheckIcon(const std::string& bytes, int iconIndex) {
    if (bytes.size() < kIconDirSize)
        return "too short for an icon (" + Num(bytes.size()) + " bytes)";
    if (Le16(bytes, 0) != 0)
        return "reserved field is " + Num(Le16(bytes, 0)) + ", not 0";
    if (Le16(bytes, 2) != 1)
        return "type " + Num(Le16(bytes, 2)) + ", not an icon (1)";
    uint16_t count = Le16(bytes, 4);
    if (count == 0)
        return "no images";
    size_t directoryEnd = kIconDirSize + kIconEntrySize * count;
    if (!Fits(bytes, 0, directoryEnd))
        return "directory of " + Num(count) + " images runs past the end";
    for (uint16_t i = 0; i < count; ++i) {
        size_t entry = kIconDirSize + kIconEntrySize * i;
        uint32_t size = Le32(bytes, entry + 8);
        uint32_t offset = Le32(bytes, entry + 12);
        const std::string image = "image " + Num(i);
        if (size == 0)
            return image + " is empty";
        if (offset < directoryEnd)
            return image + " starts inside the directory";
        if (!Fits(bytes, offset, size))
            return image + " runs past the end";
        bool bitmap = size >= 4 && Le32(bytes, offset) == kBitmapInfoHeaderSize;
        bool png = size >= 8 && bytes.compare(offset, 8, kPngSignature, 8) == 0;
        if (!bitmap && !png)
            return image + " is neither a bitmap nor PNG";
    }
    if (iconIndex < 0 || iconIndex >= count)
        return "IconIndex " + Num(iconIndex) + ", but the icon holds " + Num(count) + " images";
    return std::string();
}

CPackageReport CheckPackage(const std::string& iniPath, const FileReader& read) {
    CPackageReport report;
    report.iniPath = iniPath;
    std::string text;
    if (!read(iniPath, &text)) {
        report.errors.push_back("cannot read " + iniPath);
        return report;
    }
    CIniFile ini;
    ini.Parse(text);
    if (!ini.HasSection(kManagerSection)) {
        report.errors.push_back("no [CEAppManager] section");
        return report;
    }
    std::string version;
    if (!ini.Get(kManagerSection, "Version", &version) || version.empty())
        report.errors.push_back("[CEAppManager] has no Version");
    std::string component;
    if (!ini.Get(kManagerSection, "Component", &component) || component.empty()) {
        report.errors.push_back("[CEAppManager] has no Component");
        return report;
    }
    if (!ini.HasSection(component)) {
        report.errors.push_back("no [" + component + "] section, which Component names");
        return report;
    }
    report.component = component;
    ini.Get(component, "Description", &report.description);
    std::string folder = FolderOf(iniPath);
    CheckCabinetFiles(ini, folder, read, &report);
    CheckIconFile(ini, folder, read, &report);
    return report;
}

std::string FormatRecord(const std::string& commandLine, const std::vector<CPackageReport>& reports) {
    std::string out;
    auto line = [&out](const char* key, const std::string& value) { out += key + OneLine(value) + "\r\n"; };
    line("cmdline=", commandLine);
    bool allOk = true;
    for (const CPackageReport& report : reports) {
        line("ini=", report.iniPath);
        if (report.errors.empty())
            out += "ok\r\n";
        for (const std::string& error : report.errors)
            line("error=", error);
        allOk = allOk && report.errors.empty();
        if (!report.component.empty())
            line("component=", report.component);
        if (!report.description.empty())
            line("description=", report.description);
        if (report.cabSize != 0)
            line("cabsize=", Num(report.cabSize));
        if (!report.target.empty())
            line("target=", report.target);
    }
    out += allOk ? "result=ok\r\n" : "result=fail\r\n";
    return out;
}
