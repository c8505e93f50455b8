// What the chooser paints, read back from its window: the background for
// the code page, the product pictures with their white keyed out, and the
// second row's pictures stretched to their panes. Needs a display driver
// that keeps window pixels (Wine's X11 driver, under Xvfb).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "chooser_driver.h"
#include "chooser_window.h"
#include "import_hook.h"
#include "resource_ids.h"
#include "text_files.h"

using namespace orvane;

using vexatest::RunChooser;

namespace {

constexpr unsigned kWhite = 0xFFFFFF;

// Pixels as 0xRRGGBB, row by row from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Copies `width` x `height` pixels from (0, 0) of `source` into an Image.
Image Capture(HDC source, int width, int height) {
    Image image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section == nullptr) return image;
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, section);
    if (BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY)) {
        GdiFlush();
        image.width = width;
        image.height = height;
        const unsigned* p = static_cast<const unsigned*>(bits);
        image.pixels.assign(p, p + static_cast<size_t>(width) * height);
        for (unsigned& pixel : image.pixels) pixel &= 0xFFFFFF;
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(section);
    return image;
}

Image BitmapResource(int id) {
    Image image;
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (bitmap == nullptr) return image;
    BITMAP size;
    GetObjectW(bitmap, sizeof size, &size);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    image = Capture(memory, size.bmWidth, size.bmHeight);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return image;
}

// What the chooser shows, once everything has painted.
Image PaintedChooser(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    HDC dc = GetDC(dialog);
    Image image = Capture(dc, 800, 600);
    ReleaseDC(dialog, dc);
    return image;
}

struct Pane {
    int bitmapId;
    RECT rect;
};
const Pane kFirstRow[] = {
    {IDB_PRODUCT_CUIYU, {0, 250, 180, 391}},
    {IDB_PRODUCT_TONGYUN, {260, 250, 440, 391}},
    {IDB_PRODUCT_BITAO, {520, 250, 700, 391}},
};
const Pane kSecondRow[] = {
    {IDB_PRODUCT_NODI, {170, 400, 350, 544}},
    {IDB_PRODUCT_SHUNSHOU, {440, 400, 620, 544}},
};

// The bitmaps that LoadBitmapW handed out while a hook recorded them.
std::vector<HBITMAP> g_loaded;
decltype(&LoadBitmapW) g_loadBitmap;
HBITMAP WINAPI RecordLoadBitmap(HINSTANCE instance, LPCWSTR name) {
    HBITMAP bitmap = g_loadBitmap(instance, name);
    g_loaded.push_back(bitmap);
    return bitmap;
}

int CountDifferent(const Image& a, const Image& b, const RECT& area) {
    int different = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) different += a.at(x, y) != b.at(x, y);
    return different;
}

}  // namespace

TEST(ChooserPaint, RunsUnderTheExpectedCodePage) {
    EXPECT_TRUE(vexatest::RunsUnderLocaleCodePage()) << "code page " << GetACP();
}

TEST(ChooserPaint, ShowsTheBackgroundOfTheCodePageAndThePicturesKeyedOnWhite) {
    const bool simplified = GetACP() == 936;
    const Image background = BitmapResource(simplified ? IDB_BACKGROUND_CN : IDB_BACKGROUND_TW);
    const Image other = BitmapResource(simplified ? IDB_BACKGROUND_TW : IDB_BACKGROUND_CN);
    ASSERT_EQ(background.width, 800);
    ASSERT_EQ(other.width, 800);

    ChooserWindow chooser(GetModuleHandleW(nullptr));
    RunChooser(chooser, [&](HWND dialog) {
        Image shown = PaintedChooser(dialog);
        ASSERT_EQ(shown.width, 800);

        // The banner, above the pictures: exactly this code page's bitmap.
        const RECT banner = {0, 0, 800, 250};
        EXPECT_EQ(CountDifferent(shown, background, banner), 0);
        EXPECT_GT(CountDifferent(shown, other, banner), 1000);

        // First row, 1:1: each picture pixel, or the background where the
        // picture is white (its top rows overlap the banner's bottom edge).
        for (const Pane& pane : kFirstRow) {
            SCOPED_TRACE(pane.bitmapId);
            Image picture = BitmapResource(pane.bitmapId);
            ASSERT_EQ(picture.width, 180);
            int mismatches = 0, keyedOverBanner = 0;
            for (int y = 0; y < 141; ++y) {
                for (int x = 0; x < 180; ++x) {
                    int sx = pane.rect.left + x, sy = pane.rect.top + y;
                    unsigned expected = picture.at(x, y) == kWhite ? background.at(sx, sy) : picture.at(x, y);
                    mismatches += shown.at(sx, sy) != expected;
                    keyedOverBanner += picture.at(x, y) == kWhite && sy < 253;
                }
            }
            EXPECT_EQ(mismatches, 0);
            EXPECT_GT(keyedOverBanner, 0);
            EXPECT_NE(shown.at(pane.rect.left, pane.rect.top), kWhite);
        }

        // Three more paints leave at most one background bitmap (one kept
        // for the next paint): one per paint would, after enough paints,
        // leave the window unable to draw.
        vexatest::ImportHook hook("USER32.dll", "LoadBitmapW", reinterpret_cast<void*>(RecordLoadBitmap));
        ASSERT_TRUE(hook.installed());
        g_loadBitmap = reinterpret_cast<decltype(&LoadBitmapW)>(hook.original());
        g_loaded.clear();
        for (int i = 0; i < 3; ++i) RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_LE(std::count_if(g_loaded.begin(), g_loaded.end(), [](HBITMAP b) { return GetObjectType(b) != 0; }), 1);
    });
}

TEST(ChooserPaint, SecondRowStretchesItsPicturesOver144Rows) {
    ChooserWindow chooser(GetModuleHandleW(nullptr));
    RunChooser(chooser, [&](HWND dialog) {
        Image shown = PaintedChooser(dialog);
        ASSERT_EQ(shown.width, 800);
        for (const Pane& pane : kSecondRow) {
            SCOPED_TRACE(pane.bitmapId);
            Image picture = BitmapResource(pane.bitmapId);
            ASSERT_EQ(picture.height, 141);
            // The name plate along the picture's last rows reaches the
            // pane's last row, 3 rows further down than the picture is tall.
            unsigned plate = picture.at(2, 140);
            ASSERT_NE(plate, kWhite);
            for (int y = pane.rect.bottom - 4; y < pane.rect.bottom; ++y) {
                EXPECT_EQ(shown.at(pane.rect.left + 2, y), plate) << y;
                EXPECT_EQ(shown.at(pane.rect.right - 3, y), plate) << y;
            }
            // Below the pane, the white of the background again.
            EXPECT_EQ(shown.at(pane.rect.left + 2, pane.rect.bottom), kWhite);
            // Top corner: white picture over white background.
            EXPECT_EQ(shown.at(pane.rect.left, pane.rect.top), kWhite);
        }
    });
}

// Wine gives a minimised window no client area, so the icon drawn while
// minimised cannot be read back; what comes back after restoring can.
TEST(ChooserPaint, RestoredAfterMinimisingShowsTheSameWindowAgain) {
    const Image background = BitmapResource(GetACP() == 936 ? IDB_BACKGROUND_CN : IDB_BACKGROUND_TW);
    ASSERT_EQ(background.width, 800);
    ChooserWindow chooser(GetModuleHandleW(nullptr));
    RunChooser(chooser, [&](HWND dialog) {
        RECT before, after;
        GetWindowRect(dialog, &before);
        ShowWindow(dialog, SW_MINIMIZE);
        ASSERT_TRUE(IsIconic(dialog));
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        ShowWindow(dialog, SW_RESTORE);
        ASSERT_FALSE(IsIconic(dialog));
        GetWindowRect(dialog, &after);
        EXPECT_TRUE(EqualRect(&before, &after));
        Image shown = PaintedChooser(dialog);
        ASSERT_EQ(shown.width, 800);
        EXPECT_EQ(CountDifferent(shown, background, RECT{0, 0, 800, 250}), 0);
    });
}
