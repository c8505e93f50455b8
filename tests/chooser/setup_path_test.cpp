// Composing a setup program's path, and centring in a work area.
#include <gtest/gtest.h>

#include <string>

#include "chooser_layout.h"
#include "chooser_texts.h"
#include "setup_path.h"

using namespace orvane;

TEST(ComposeSetupPath, ReplacesTheProgramNameWithTheSuffix) {
    struct Case {
        const wchar_t* program;
        int choice;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"D:\\Disc\\Orvane.exe", 1000, L"D:\\Disc\\KavroMini\\Setup.exe"},
        {L"E:\\Orvane.exe", 1000, L"E:\\KavroMini\\Setup.exe"},
        {L"D:\\Disc\\Orvane.exe", 1001, L"D:\\Disc\\Selvo\\Setup.exe"},
        {L"D:\\Disc\\Orvane.exe", 1002, L"D:\\Disc\\Selvo\\Setup.exe"},
        {L"D:\\Disc\\Orvane.exe", 1004, L"D:\\Disc\\Selvo\\Setup.exe"},
        {L"D:\\Disc\\Orvane.exe", 1003, L"D:\\Disc\\Kavro\\Setup.exe"},
        {L"\\\\server\\share\\光碟\\Orvane.exe", 1003, L"\\\\server\\share\\光碟\\Kavro\\Setup.exe"},
    };
    for (const Case& c : cases) {
        wchar_t out[kPathCapacity];
        ASSERT_TRUE(ComposeSetupPath(c.program, SetupSuffixFor(c.choice), out, kPathCapacity));
        EXPECT_EQ(std::wstring(out), c.expected);
    }
}

TEST(ComposeSetupPath, RefusesWhatWouldNotFitRatherThanCuttingIt) {
    const std::string suffix = "\\KavroMini\\Setup.exe";  // 20 units
    // A directory of 239 units plus the suffix and terminator fills 260.
    std::wstring directory = L"C:\\" + std::wstring(236, L'x');
    wchar_t out[kPathCapacity];
    EXPECT_TRUE(ComposeSetupPath((directory + L"\\Orvane.exe").c_str(), suffix.c_str(), out, kPathCapacity));
    EXPECT_EQ(std::wstring(out).size(), 259u);

    directory += L'x';
    out[0] = L'?';
    EXPECT_FALSE(ComposeSetupPath((directory + L"\\Orvane.exe").c_str(), suffix.c_str(), out, kPathCapacity));
    EXPECT_EQ(out[0], L'\0');

    EXPECT_FALSE(ComposeSetupPath(L"Orvane.exe", suffix.c_str(), out, kPathCapacity));
    EXPECT_FALSE(ComposeSetupPath(L"D:\\Orvane.exe", SetupSuffixFor(999), out, kPathCapacity));
}

TEST(CentreInArea, CentresAndKeepsTheWindowInsideTheArea) {
    struct Case {
        RECT area;
        int width, height;
        LONG x, y;
    };
    const Case cases[] = {
        {{0, 0, 1024, 768}, 800, 600, 112, 84},
        {{0, 0, 1025, 769}, 800, 600, 112, 84},        // halves round down
        {{0, 30, 1024, 768}, 800, 600, 112, 99},       // taskbar at the top
        {{1024, 0, 2944, 1040}, 800, 600, 1584, 220},  // second monitor
        {{-1280, 0, 0, 1024}, 800, 600, -1040, 212},   // monitor on the left
        {{0, 0, 640, 480}, 800, 600, 0, 0},            // too small: left/top edge
        {{100, 50, 700, 550}, 800, 600, 100, 50},
        {{0, 0, 800, 600}, 801, 601, -1, -1},  // odd size: right/bottom edge
    };
    for (const Case& c : cases) {
        POINT corner = CentreInArea(c.area, c.width, c.height);
        EXPECT_EQ(corner.x, c.x) << c.area.left << "," << c.area.right;
        EXPECT_EQ(corner.y, c.y) << c.area.top << "," << c.area.bottom;
    }
}
