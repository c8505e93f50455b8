// The chooser's resources as linked into the program: picture sizes and
// depths, the white grounds that the panes key out, the icon, the window
// templates and the version.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "resource_ids.h"

namespace {

const BITMAPINFOHEADER* BitmapResource(int id) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(nullptr, found);
    return loaded ? static_cast<const BITMAPINFOHEADER*>(LockResource(loaded)) : nullptr;
}

// The 24-bit pixel at (x, y), y counted from the top, as 0xRRGGBB.
unsigned Pixel(const BITMAPINFOHEADER* header, int x, int y) {
    const unsigned char* bits = reinterpret_cast<const unsigned char*>(header) + header->biSize;
    int stride = (header->biWidth * 3 + 3) & ~3;
    int row = header->biHeight > 0 ? header->biHeight - 1 - y : y;
    const unsigned char* p = bits + row * stride + x * 3;
    return (p[2] << 16) | (p[1] << 8) | p[0];
}

const BYTE* Resource(int id, int type, DWORD* size) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (found == nullptr) return nullptr;
    *size = SizeofResource(nullptr, found);
    HGLOBAL loaded = LoadResource(nullptr, found);
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

}  // namespace

TEST(ChooserResources, BitmapsHaveTheirSizesAndAreUncompressed24Bit) {
    struct Case {
        int id, width, height;
    };
    const Case cases[] = {
        {129, 800, 600}, {130, 800, 600}, {131, 180, 141}, {132, 180, 141},
        {133, 180, 141}, {134, 180, 141}, {138, 180, 141},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const BITMAPINFOHEADER* header = BitmapResource(c.id);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, c.width);
        EXPECT_EQ(header->biHeight, c.height);  // bottom-up
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
    }
}

TEST(ChooserResources, BackgroundsCarryABannerOverPureWhite) {
    for (int id : {129, 130}) {
        SCOPED_TRACE(id);
        const BITMAPINFOHEADER* header = BitmapResource(id);
        ASSERT_NE(header, nullptr);
        for (int y = 253; y < 600; ++y)
            for (int x = 0; x < 800; ++x) ASSERT_EQ(Pixel(header, x, y), 0xFFFFFFu) << x << "," << y;
        // Where the first row of panes overlaps the banner, the banner is
        // not white: it shows through the pictures' white.
        for (int y = 250; y < 253; ++y)
            for (int x = 0; x < 800; ++x) ASSERT_NE(Pixel(header, x, y), 0xFFFFFFu) << x << "," << y;
    }
    // The two differ in their banner text only.
    const BITMAPINFOHEADER* traditional = BitmapResource(129);
    const BITMAPINFOHEADER* simplified = BitmapResource(130);
    ASSERT_TRUE(traditional && simplified);
    EXPECT_NE(std::memcmp(traditional, simplified, traditional->biSize + 800 * 600 * 3), 0);
}

TEST(ChooserResources, ProductPicturesStandOnWhiteWithANamePlateAlongTheBottom) {
    for (int id : {131, 132, 133, 134, 138}) {
        SCOPED_TRACE(id);
        const BITMAPINFOHEADER* header = BitmapResource(id);
        ASSERT_NE(header, nullptr);
        for (int y : {0, 120})
            for (int x : {0, 179}) EXPECT_EQ(Pixel(header, x, y), 0xFFFFFFu) << x << "," << y;
        EXPECT_NE(Pixel(header, 90, 30), 0xFFFFFFu);
        // The plate fills the last rows corner to corner (the paint test
        // relies on it to see the second row's stretch).
        for (int y = 128; y < 141; ++y) {
            EXPECT_NE(Pixel(header, 2, y), 0xFFFFFFu) << y;
            EXPECT_NE(Pixel(header, 177, y), 0xFFFFFFu) << y;
        }
    }
}

TEST(ChooserResources, IconIsOne32By32SixteenColourImage) {
    DWORD size = 0;
    const BYTE* group = Resource(IDR_MAINFRAME, 14, &size);  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    ASSERT_GE(size, 6u + 14u);
    WORD count;
    std::memcpy(&count, group + 4, 2);
    EXPECT_EQ(count, 1);
    const BYTE* entry = group + 6;
    EXPECT_EQ(entry[0], 32);  // width
    EXPECT_EQ(entry[1], 32);  // height
    EXPECT_EQ(entry[2], 16);  // colours
    WORD bits;
    std::memcpy(&bits, entry + 6, 2);
    EXPECT_EQ(bits, 4);
}

TEST(ChooserResources, ChooserTemplateIsABorderlessCentredPopup) {
    DWORD size = 0;
    const BYTE* data = Resource(IDD_CHOOSER, 5, &size);  // RT_DIALOG
    ASSERT_NE(data, nullptr);
    ASSERT_GE(size, 26u);
    WORD version, signature, items;
    DWORD exStyle, style;
    short cx, cy;
    std::memcpy(&version, data, 2);
    std::memcpy(&signature, data + 2, 2);
    std::memcpy(&exStyle, data + 8, 4);
    std::memcpy(&style, data + 12, 4);
    std::memcpy(&items, data + 16, 2);
    std::memcpy(&cx, data + 22, 2);
    std::memcpy(&cy, data + 24, 2);
    EXPECT_EQ(version, 1);
    EXPECT_EQ(signature, 0xFFFF);  // extended template
    EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | DS_CENTER | DS_SETFONT));
    EXPECT_EQ(exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(items, 8);  // the instruction line, five choices, OK, Cancel
    EXPECT_EQ(cx, 392);
    EXPECT_EQ(cy, 316);

    const BYTE* about = Resource(IDD_ABOUTBOX, 5, &size);
    ASSERT_NE(about, nullptr);
    std::memcpy(&style, about + 12, 4);
    std::memcpy(&cx, about + 22, 2);
    std::memcpy(&cy, about + 24, 2);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(cx, 235);
    EXPECT_EQ(cy, 55);
}

TEST(ChooserResources, AboutItemTextAndVersion) {
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_EQ(std::wstring(text), L"關於 Orvane(&A)...");

    DWORD size = 0;
    const BYTE* version = Resource(1, 16, &size);  // RT_VERSION
    ASSERT_NE(version, nullptr);
    // VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, 32-bit aligned.
    const BYTE* fixed = version + 6 + sizeof(L"VS_VERSION_INFO");
    fixed = version + ((fixed - version + 3) & ~3);
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(info.dwProductVersionLS, 0x00000001u);
}
