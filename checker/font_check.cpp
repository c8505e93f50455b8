#include "font_check.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <set>

namespace vexacheck {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// What the checksum of a whole font and its 'head' table's adjustment add up to.
constexpr uint32_t kWholeFontSum = 0xB1B0AFBA;
constexpr uint32_t kHeadMagic = 0x5F0F3CF5;

uint32_t Be32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
           p[3];
}
uint16_t Be16(const unsigned char* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

// The sum of the big-endian 32-bit words of `length` bytes from `from`, the
// last word padded with zeros; the four bytes at `zeroAt` count as zeros
// (the 'head' table's adjustment, which is left out of every checksum).
uint32_t Checksum(const unsigned char* data, size_t from, size_t length, size_t zeroAt = kNone) {
    uint32_t sum = 0;
    for (size_t i = 0; i < length; ++i) {
        size_t at = from + i;
        uint32_t byte = zeroAt != kNone && at >= zeroAt && at < zeroAt + 4 ? 0 : data[at];
        sum += byte << (8 * (3 - i % 4));
    }
    return sum;
}

std::string Hex32(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

// A table's tag as it reads, quoted; bytes that are no printable ASCII
// character in hexadecimal.
std::string Tag(const unsigned char* p) {
    std::string tag = "'";
    for (int i = 0; i < 4; ++i) {
        if (p[i] >= 0x20 && p[i] < 0x7F) {
            tag += static_cast<char>(p[i]);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", p[i]);
            tag += hex;
        }
    }
    return tag + "'";
}

bool Is(const unsigned char* p, const char* tag) {
    return p[0] == tag[0] && p[1] == tag[1] && p[2] == tag[2] && p[3] == tag[3];
}

enum class Flavour { None, TrueType, OpenType };

Flavour FlavourOf(const unsigned char* p) {
    if (Be32(p) == 0x00010000 || Is(p, "true")) return Flavour::TrueType;
    if (Is(p, "OTTO")) return Flavour::OpenType;
    return Flavour::None;
}

// One font's offset table at `at` and everything it points at. Returns what
// is wrong, empty when nothing is; *tables receives the number of tables.
// `alone`: the font is the whole file, so the 'head' table's adjustment
// makes the file's checksum come out right.
std::string CheckFont(const unsigned char* data, size_t size, size_t at, bool alone, int* tables) {
    *tables = 0;
    if (size < 12 || at > size - 12)
        return "its header ends past the end of the file (" + std::to_string(size) + " bytes)";
    Flavour flavour = FlavourOf(data + at);
    int count = Be16(data + at + 4);
    *tables = count;
    if (count == 0) return "its table directory lists no table";
    size_t directoryEnd = at + 12 + 16 * static_cast<size_t>(count);
    if (directoryEnd > size)
        return "its table directory (" + std::to_string(count) + " tables) ends past the end of the file (" +
               std::to_string(size) + " bytes): the file is cut short";

    std::set<uint32_t> seen;
    size_t head = kNone, headLength = 0;
    uint32_t recorded = 0;  // the tables' checksums as the directory gives them
    bool glyphs = false, postScript = false;
    for (int i = 0; i < count; ++i) {
        const unsigned char* record = data + at + 12 + 16 * i;
        std::string tag = Tag(record);
        uint64_t offset = Be32(record + 8), length = Be32(record + 12);
        if (offset + length > size)
            return "table " + tag + " (bytes " + std::to_string(offset) + " to " + std::to_string(offset + length) +
                   ") ends past the end of the file (" + std::to_string(size) + " bytes): the file is cut short";
        if (!seen.insert(Be32(record)).second) return "table " + tag + " is listed twice";
        if (Is(record, "head")) {
            head = static_cast<size_t>(offset);
            headLength = static_cast<size_t>(length);
        }
        glyphs = glyphs || Is(record, "glyf");
        postScript = postScript || Is(record, "CFF ") || Is(record, "CFF2");
        recorded += Be32(record + 4);
    }
    if (head == kNone) return "it has no 'head' table";
    if (headLength < 54 || Be32(data + head + 12) != kHeadMagic)
        return "its 'head' table is no font header (" + std::to_string(headLength) + " bytes, magic number " +
               (headLength >= 16 ? Hex32(Be32(data + head + 12)) : std::string("missing")) + ")";
    for (int i = 0; i < count; ++i) {
        const unsigned char* record = data + at + 12 + 16 * i;
        size_t offset = Be32(record + 8), length = Be32(record + 12);
        uint32_t expected = Be32(record + 4);
        uint32_t sum = Checksum(data, offset, length, Is(record, "head") ? head + 8 : kNone);
        // Some tools sum the 'head' table with its adjustment in place.
        if (sum != expected && Is(record, "head")) sum = Checksum(data, offset, length) == expected ? expected : sum;
        if (sum != expected)
            return "table " + Tag(record) + " does not add up to its checksum (" + Hex32(expected) +
                   " in the directory, " + Hex32(sum) + " in its bytes): the table is damaged";
    }
    if (flavour == Flavour::OpenType && !postScript)
        return "it is marked an OpenType font of PostScript outlines ('OTTO'), but has no 'CFF ' table";
    if (flavour == Flavour::TrueType && postScript && !glyphs)
        return "it is marked a TrueType font, but its outlines are PostScript ones ('CFF '): its tag should be 'OTTO'";
    if (alone) {
        // The whole file, or (as some tools sum it) the header and the
        // directory with the tables' own checksums.
        uint32_t adjustment = Be32(data + head + 8);
        uint32_t whole = kWholeFontSum - Checksum(data, 0, size, head + 8);
        uint32_t parts = kWholeFontSum - (Checksum(data, at, directoryEnd - at) + recorded);
        if (adjustment != whole && adjustment != parts)
            return "the font does not add up to the checksum its 'head' table records (" + Hex32(adjustment) +
                   " there, " + Hex32(whole) + " in the file): its header or table directory has changed";
    }
    return {};
}

}  // namespace

FontFileCheck CheckFontBytes(const unsigned char* data, size_t size) {
    FontFileCheck check;
    if (size < 12) return check;
    if (Is(data, "ttcf")) {
        uint16_t major = Be16(data + 4);
        uint32_t fonts = Be32(data + 8);
        check.kind = "a TrueType font collection of " + std::to_string(fonts) + " fonts";
        if (major != 1 && major != 2) {
            check.fault = "its collection header has version " + std::to_string(major) + ", not 1 or 2";
        } else if (fonts == 0) {
            check.fault = "its collection header lists no font";
        } else if (12 + 4 * static_cast<uint64_t>(fonts) > size) {
            check.fault = "its collection header (" + std::to_string(fonts) +
                          " fonts) ends past the end of the file (" + std::to_string(size) +
                          " bytes): the file is cut short";
        }
        for (uint32_t n = 0; n < fonts && check.fault.empty(); ++n) {
            size_t at = Be32(data + 12 + 4 * n);
            int tables = 0;
            std::string fault;
            if (at <= size - 12 && FlavourOf(data + at) == Flavour::None)
                fault = "it does not begin as a TrueType or OpenType font";
            else
                fault = CheckFont(data, size, at, false, &tables);
            if (!fault.empty()) check.fault = "font " + std::to_string(n + 1) + " of the collection: " + fault;
        }
        return check;
    }
    Flavour flavour = FlavourOf(data);
    if (flavour == Flavour::None) return check;
    int tables = 0;
    check.fault = CheckFont(data, size, 0, true, &tables);
    check.kind = std::string(flavour == Flavour::OpenType ? "an OpenType font" : "a TrueType font") + " of " +
                 std::to_string(tables) + (tables == 1 ? " table" : " tables");
    return check;
}

FontFileCheck CheckFontFile(const std::string& path) {
    FontFileCheck check;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        check.fault = "it cannot be opened to be read";
        return check;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 12) {
        CloseHandle(file);
        return check;  // too short for any font
    }
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view) {
        check = CheckFontBytes(static_cast<const unsigned char*>(view), static_cast<size_t>(size.QuadPart));
        UnmapViewOfFile(view);
    } else {
        check.fault = "it cannot be read whole to be checked (" + std::to_string(size.QuadPart) + " bytes)";
    }
    if (mapping) CloseHandle(mapping);
    CloseHandle(file);
    return check;
}

}  // namespace vexacheck
