// DibImage on BMPs that ImageMagick made, on the launcher's own background,
// on broken headers, and on a seeded run of mutated BMPs (the count comes
// from VEXA_BMP_MUTATIONS, the seed from VEXA_BMP_SEED; scripts/fuzz-bmp runs
// a long one) that must read and draw without touching a byte outside the
// image's own buffers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dib_image.h"
#include "scratch_dir.h"
#include "text_files.h"

using namespace velmora;

using vexatest::DataBytes;
using vexatest::DataFile;

namespace {

uint32_t Get32(const std::string& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
void Put16(std::string& b, size_t at, uint16_t v) { std::memcpy(&b[at], &v, 2); }

bool Load(const std::string& bytes, DibImage& image) {
    vexatest::ScratchDir dir;
    return vexatest::WriteBytes(dir / "t.bmp", bytes) && image.LoadFile((dir / "t.bmp").c_str());
}

int PaletteSize(HPALETTE palette) { return palette ? GetPaletteEntries(palette, 0, 0, nullptr) : 0; }

// The same BMP with its rows stored top-down.
std::string TopDown(std::string b) {
    const int32_t height = static_cast<int32_t>(Get32(b, 22));
    const size_t off = Get32(b, 10), stride = (b.size() - off) / height;
    std::string rows = b.substr(off);
    for (int32_t r = 0; r < height; ++r) b.replace(off + r * stride, stride, rows, (height - 1 - r) * stride, stride);
    Put32(b, 22, static_cast<uint32_t>(-height));
    return b;
}

// A BMP: the 40-byte header, what follows it (masks, colour table) and rows
// of bytes counting up.
std::string Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t used,
                const std::string& colours) {
    std::string b(54, '\0'), rows(PaddedRowSize(width, bits) * std::abs(height), '\0');
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<char>(i * 7);
    b[0] = 'B', b[1] = 'M', Put32(b, 2, 54 + colours.size() + rows.size()), Put32(b, 10, 54 + colours.size());
    Put32(b, 14, 40), Put32(b, 18, width), Put32(b, 22, height), Put16(b, 26, 1), Put16(b, 28, bits);
    Put32(b, 30, compression), Put32(b, 46, used);
    return b + colours + rows;
}

// What an image leaves on a white 48 x 32 canvas, by Draw or by Paint.
std::vector<uint32_t> Drawn(const DibImage& image, bool paint) {
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 48, -32, 1, 32}};
    uint32_t* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, canvas);
    PatBlt(dc, 0, 0, 48, 32, WHITENESS);
    paint ? void(image.Paint(dc, {2, 3, 30, 20}, {4, 5, 32, 22})) : image.Draw(dc, 2, 3);
    GdiFlush();
    std::vector<uint32_t> pixels(bits, bits + 48 * 32);
    SelectObject(dc, previous), DeleteObject(canvas), DeleteDC(dc);
    return pixels;
}

// A copy of `size` bytes that ends where an inaccessible page begins: a
// read past its end faults.
class Guarded {
public:
    Guarded(const void* source, size_t size) {
        const size_t page = 4096, pages = (size + page - 1) / page + 1;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, pages * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &old);
        data_ = base_ + (pages - 1) * page - size;
        std::memcpy(data_, source, size);
    }
    ~Guarded() { VirtualFree(base_, 0, MEM_RELEASE); }
    BYTE* data() const { return data_; }

private:
    BYTE* base_;
    BYTE* data_;
};

}  // namespace

TEST(DibImage, ImageMagickBmpsKeepTheirBitCountColourTableAndPalette) {
    struct Case {
        const char* file;
        int bits, tableEntries, bitsFromBitmap;
    };
    const Case cases[] = {{"bits1.bmp", 1, 2, 1},
                          {"bits4.bmp", 4, 16, 4},
                          {"bits8.bmp", 8, 256, 8},
                          {"bits24.bmp", 24, 0, 24},
                          {"bits32.bmp", 32, 0, 24}};
    HDC screen = GetDC(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = DataBytes(c.file);
        const size_t off = Get32(bytes, 10);
        DibImage read;
        ASSERT_TRUE(read.LoadFile(DataFile(c.file).c_str()));
        EXPECT_EQ(read.BitCount(), c.bits);
        EXPECT_EQ(read.ColourTableEntries(), c.tableEntries);
        EXPECT_EQ(std::memcmp(read.ColourTable(), bytes.data() + 54, 4 * c.tableEntries), 0);
        EXPECT_EQ(std::memcmp(read.bits(), bytes.data() + off, bytes.size() - off), 0);
        ASSERT_EQ(PaletteSize(read.palette()), c.tableEntries);
        std::vector<PALETTEENTRY> entries(c.tableEntries);
        if (c.tableEntries) GetPaletteEntries(read.palette(), 0, c.tableEntries, entries.data());
        for (int i = 0; i < c.tableEntries; ++i)
            ASSERT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
                      RGB(read.ColourTable()[i].rgbRed, read.ColourTable()[i].rgbGreen, read.ColourTable()[i].rgbBlue));

        // The same picture as a bitmap handle, as resources are loaded.
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, DataFile(c.file).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        DibImage converted;
        EXPECT_TRUE(converted.CreateFromBitmap(screen, bitmap));
        DeleteObject(bitmap);
        EXPECT_EQ(converted.BitCount(), c.bitsFromBitmap);
        EXPECT_EQ(PaletteSize(converted.palette()), c.tableEntries);
        EXPECT_EQ(std::memcmp(converted.ColourTable(), read.ColourTable(), 4 * c.tableEntries), 0);
        if (c.bits == 8 || c.bits == 24) {
            EXPECT_EQ(std::memcmp(converted.bits(), read.bits(), bytes.size() - off), 0);
        }
    }
    ReleaseDC(nullptr, screen);
    // A picture that uses 16 of its 256 colours: a palette of those 16.
    DibImage few;
    ASSERT_TRUE(Load(Bmp(5, 3, 8, BI_RGB, 16, std::string(64, '\x40')), few));
    EXPECT_EQ(PaletteSize(few.palette()), 16);
}

TEST(DibImage, WritesTheLaunchersBackgroundAndReadsItBackByteForByte) {
    DibImage image;
    ASSERT_TRUE(image.LoadBitmapResource(MAKEINTRESOURCEA(130)));
    ASSERT_EQ(image.Width(), 711);
    ASSERT_EQ(image.Height(), 600);
    ASSERT_EQ(image.BitCount(), 8);
    EXPECT_EQ(PaletteSize(image.palette()), 256);
    vexatest::ScratchDir dir;
    ASSERT_TRUE(image.SaveFile((dir / "back.bmp").c_str()));
    std::string bytes;
    ASSERT_TRUE(vexatest::ReadBytes(dir / "back.bmp", &bytes));
    EXPECT_EQ(Get32(bytes, 10), 1078u);
    EXPECT_EQ(Get32(bytes, 2), 428278u);  // 1078 + 600 rows of 712 bytes
    EXPECT_EQ(bytes.size(), 428278u);

    DibImage back;
    ASSERT_TRUE(back.LoadFile((dir / "back.bmp").c_str()));
    EXPECT_EQ(std::memcmp(back.info(), image.info(), 40 + 1024), 0);
    EXPECT_EQ(std::memcmp(back.bits(), image.bits(), 712 * 600), 0);
}

TEST(DibImage, ReadsTopDownRowsAndABmpInsideALargerFile) {
    const std::string bytes = DataBytes("bits24.bmp");
    const std::string topDown = TopDown(bytes);
    DibImage image;
    ASSERT_TRUE(Load(topDown, image));
    EXPECT_EQ(image.Height(), -23);
    EXPECT_EQ(std::memcmp(image.bits(), topDown.data() + 54, topDown.size() - 54), 0);
    DibImage bottomUp;
    ASSERT_TRUE(Load(bytes, bottomUp));
    EXPECT_TRUE(Drawn(bottomUp, false) != Drawn(DibImage(), false));
    for (bool paint : {false, true}) EXPECT_TRUE(Drawn(image, paint) == Drawn(bottomUp, paint)) << paint;
    // Paint puts source (4, 5)-(32, 22) at (2, 3) and nothing else, both
    // ways up, seen with rows that all differ (a row's bytes count on by 7s
    // from 188 above the row before's).
    for (int32_t rows : {23, -23}) {
        const std::string bmp = Bmp(33, rows, 24, BI_RGB, 0, "");
        DibImage distinct;
        ASSERT_TRUE(Load(bmp, distinct));
        const std::vector<uint32_t> painted = Drawn(distinct, true);
        int wrong = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 48; ++x) {
                uint32_t expected = 0xFFFFFF;  // the canvas, outside the destination
                if (x >= 2 && x < 30 && y >= 3 && y < 20) {
                    const auto* p = reinterpret_cast<const uint8_t*>(bmp.data()) + 54 +
                                    (rows > 0 ? 20 - y : y + 2) * 100 + (x + 2) * 3;  // picture pixel (x + 2, y + 2)
                    expected = p[2] << 16 | p[1] << 8 | p[0];
                }
                wrong += (painted[y * 48 + x] & 0xFFFFFF) != expected;
            }
        EXPECT_EQ(wrong, 0) << rows;
    }

    vexatest::ScratchDir dir;
    ASSERT_TRUE(vexatest::WriteBytes(dir / "inside.dat", std::string(100, 'x') + bytes + std::string(50, 'y')));
    HANDLE file = CreateFileA((dir / "inside.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, 100, nullptr, FILE_BEGIN);
    DibImage inside;
    EXPECT_TRUE(inside.ReadFrom(file));
    CloseHandle(file);
    ASSERT_NE(inside.bits(), nullptr);
    EXPECT_EQ(std::memcmp(inside.bits(), bytes.data() + 54, bytes.size() - 54), 0);
}

// Masks and a colour table that ReadFrom accepted are written back; an
// empty image, or one that cannot be written whole, leaves an older file.
TEST(DibImage, SavesWhatItReadAndNeverLosesAnOlderFile) {
    const std::string masks("\x00\xF8\0\0\xE0\x07\0\0\x1F\0\0\0", 12);
    vexatest::ScratchDir dir;
    const std::string saved = dir / "saved.bmp";
    for (const std::string& bmp : {Bmp(5, 3, 16, BI_BITFIELDS, 0, masks), Bmp(5, -3, 24, BI_RGB, 3, masks)}) {
        DibImage read, back;
        ASSERT_TRUE(Load(bmp, read) && read.SaveFile(saved.c_str()) && back.LoadFile(saved.c_str()));
        EXPECT_EQ(std::memcmp(back.info(), read.info(), read.infoSize()), 0);
        EXPECT_EQ(std::memcmp(back.bits(), read.bits(), read.bitsSize()), 0);
    }
    DibImage empty, overfull;  // more colours announced than it holds
    ASSERT_TRUE(Load(Bmp(5, 3, 16, BI_BITFIELDS, 256, masks + std::string(1024, 'c')), overfull));
    for (DibImage* image : {&empty, &overfull}) EXPECT_FALSE(image->SaveFile(saved.c_str()));
    std::string kept;
    EXPECT_TRUE(vexatest::ReadBytes(saved, &kept) && kept.size() == 54 + 12 + 3 * 16u);
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA((dir / "tmp*").c_str(), &found), INVALID_HANDLE_VALUE);  // nothing left beside it
}

TEST(DibImage, RefusesBrokenHeadersAndLeavesTheImageEmpty) {
    struct Case {
        const char* name;
        std::function<void(std::string&)> change;
        const char* reason = nullptr;
    };
    const Case cases[] = {
        {"data begins BA", [](std::string& b) { b[1] = 'A'; }, "Error:Unexpected file type, not a DIB\n"},
        {"12-byte header", [](std::string& b) { Put32(b, 14, 12); }, "Error:OS2 PM BMP Format not supported\n"},
        {"bfOffBits inside the headers", [](std::string& b) { Put32(b, 10, 53); }},
        {"bfOffBits beyond the data", [](std::string& b) { Put32(b, 10, Get32(b, 2) + 4); }},
        {"no pixel data", [](std::string& b) { Put32(b, 2, Get32(b, 10)); }},
        {"bfSize below bfOffBits", [](std::string& b) { Put32(b, 2, 100); }},
        {"data shorter than the rows", [](std::string& b) { Put32(b, 2, Get32(b, 2) - 1); }},
        {"biClrUsed 257", [](std::string& b) { Put32(b, 46, 257); }},
        {"colour table runs into the pixels", [](std::string& b) { Put32(b, 10, 1000); }},
        {"width 0", [](std::string& b) { Put32(b, 18, 0); }},
        {"negative width", [](std::string& b) { Put32(b, 18, static_cast<uint32_t>(-37)); }},
        {"height 0", [](std::string& b) { Put32(b, 22, 0); }},
        {"bit count 2", [](std::string& b) { Put16(b, 28, 2); }},
        {"bit count 64", [](std::string& b) { Put16(b, 28, 64); }},
        {"row size beyond 32 bits", [](std::string& b) { Put32(b, 18, 0x7FFFFFFF), Put16(b, 28, 32); }},
        {"rows beyond 32 bits", [](std::string& b) { Put32(b, 18, 40000), Put32(b, 22, 0x7FFFFFFF); }},
        {"height -2^31", [](std::string& b) { Put32(b, 22, 0x80000000u); }},
        {"run-length compressed", [](std::string& b) { Put32(b, 30, BI_RLE8); }},
        {"file cut inside the rows", [](std::string& b) { b.resize(b.size() - 10); }},
        {"file cut inside the header", [](std::string& b) { b.resize(30); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = DataBytes("bits8.bmp");
        DibImage image;
        ASSERT_TRUE(Load(bytes, image));  // a previous picture goes too
        c.change(bytes);
        EXPECT_FALSE(Load(bytes, image));
        EXPECT_EQ(image.info(), nullptr);
        EXPECT_EQ(image.bits(), nullptr);
        if (c.reason) {
            EXPECT_STREQ(image.failureText(), c.reason);
        }
    }
}

TEST(DibMutation, MutatedBmpsReadAndDrawWithoutReadingOutOfBounds) {
    const char* count = std::getenv("VEXA_BMP_MUTATIONS");
    const char* seedText = std::getenv("VEXA_BMP_SEED");
    const int cases = count ? std::atoi(count) : 300;
    const unsigned seed = seedText ? static_cast<unsigned>(std::atoi(seedText)) : 1;
    std::vector<std::string> seeds;
    for (const char* file : {"bits1.bmp", "bits4.bmp", "bits8.bmp", "bits24.bmp", "bits32.bmp"})
        seeds.push_back(DataBytes(file));
    seeds.push_back(TopDown(seeds[2]));

    std::mt19937 random(seed);
    auto below = [&random](size_t n) { return n ? random() % n : 0; };
    const uint32_t extremes[] = {0, 1, 54, 1078, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, 0xFFFF};
    const size_t fields[] = {2, 10, 18, 22, 28, 30, 46};

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP surface = CreateCompatibleBitmap(screen, 48, 48);
    HGDIOBJ previous = SelectObject(memory, surface);
    int read = 0;
    for (int i = 0; i < cases; ++i) {
        std::string b = seeds[below(seeds.size())];
        for (int m = 1 + below(3); m > 0 && !b.empty(); --m) {
            switch (below(5)) {
            case 0:  // a bit of the headers or colour table
                b[below(std::min<size_t>(b.size(), 1100))] ^= static_cast<char>(1 << below(8));
                break;
            case 1: {  // a header field set to an edge value, or near the size
                const size_t at = fields[below(std::size(fields))];
                const uint32_t value =
                    below(2) ? extremes[below(std::size(extremes))] : static_cast<uint32_t>(b.size() + below(9) - 4);
                if (b.size() >= at + 4) Put32(b, at, value);
                break;
            }
            case 2:  // cut short
                b.resize(below(b.size()));
                break;
            case 3:  // stretched: bytes inserted or added at the end
                b.insert(below(b.size() + 1), std::string(1 + below(600), static_cast<char>(random())));
                break;
            default:  // anywhere
                b[below(b.size())] ^= static_cast<char>(1 << below(8));
                break;
            }
        }
        SCOPED_TRACE(testing::Message() << "case " << i << " of seed " << seed);
        DibImage image;
        if (!Load(b, image)) {
            ASSERT_EQ(image.bits(), nullptr);
            continue;
        }
        ++read;
        const LONG height = image.Height() < 0 ? -image.Height() : image.Height();
        ASSERT_GE(image.bitsSize(), PaddedRowSize(image.Width(), image.BitCount()) * height);
        Guarded info(image.info(), image.infoSize()), bits(image.bits(), image.bitsSize());
        StretchDIBits(memory, 0, 0, 48, 48, 0, 0, image.Width(), image.Height(), bits.data(),
                      reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY);
        image.Draw(memory, 0, 0);
        image.StretchDraw(memory, 0, 0, 48, 48);
    }
    std::printf("%d mutated BMPs (seed %u): %d read and drawn, %d refused\n", cases, seed, read, cases - read);
    EXPECT_GT(read, 0);
    EXPECT_LT(read, cases);
    SelectObject(memory, previous);
    DeleteObject(surface);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
