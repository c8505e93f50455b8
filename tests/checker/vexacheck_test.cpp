// The disc checker against its sample disc and a table of broken discs, each
// made from the sample by one change: the report must name the fault on the
// line an author reads (file, section, key) and end with the right status.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "disc_check.h"
#include "planted_faults.h"
#include "scratch_dir.h"
#include "text_files.h"

using vexatest::ScratchDir;

namespace {

void CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << from;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            ASSERT_TRUE(CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) << name;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Replaces the first run of bytes `from` of a file.
void EditBytes(const std::string& path, const std::string& from, const std::string& to) {
    std::string bytes = vexatest::FileBytes(path);
    size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    ASSERT_TRUE(vexatest::WriteBytes(path, bytes));
}
// The same with texts given in UTF-8 and written in a code page.
void Edit(const std::string& path, const std::string& from, const std::string& to, unsigned codePage) {
    EditBytes(path, vexatest::FromUtf8(from, codePage), vexatest::FromUtf8(to, codePage));
}
void EditScript(const std::string& disc, const std::string& from, const std::string& to) {
    Edit(disc + "\\Fonts\\VEXA95.INI", from, to, 950);
}

void Cut(const std::string& path, size_t keep) {
    ASSERT_TRUE(vexatest::WriteBytes(path, vexatest::FileBytes(path).substr(0, keep)));
}

// Lines (UTF-8) added at the end of the install script, in Big5.
void AddToScript(const std::string& disc, const std::string& lines) {
    std::string bytes = vexatest::FileBytes(disc + "\\Fonts\\VEXA95.INI");
    std::string added;
    for (char c : vexatest::FromUtf8(lines, 950)) added += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(vexatest::WriteBytes(disc + "\\Fonts\\VEXA95.INI", bytes + "\r\n" + added));
}

// '*' stands for any run of characters.
bool Matches(const char* pattern, const char* text) {
    if (*pattern == '\0') return *text == '\0';
    if (*pattern == '*') return Matches(pattern + 1, text) || (*text && Matches(pattern, text + 1));
    return *text == *pattern && Matches(pattern + 1, text + 1);
}

struct BrokenDisc {
    const char* name;
    std::function<void(const std::string& disc)> change;
    int exitStatus;
    std::vector<const char*> lines;  // each matches one line of the report
    int faults = -1;                 // errors and warnings together, when it matters
};


const BrokenDisc kDiscs[] = {
    {"the sample disc",
     [](const std::string&) {},
     0,
     {"ok: Fonts\\VEXA95.INI: loaded as the installer reads it (code page 950): 0 Misc, 3 Fonts, 0 TTEs, 0 Tbls "
      "items; 4 pieces",
      "ok: Fonts\\VEXA95.INI [Font Files] 漢維黑體 File2: Fonts\\DISK2\\HVHEI.TT2: the installer asks for \"第二片\" "
      "and the user types the disc's Fonts\\DISK2",
      "ok: Fonts\\VEXA95.INI [Font Files] 漢維黑體 Files: joined and expanded: * bytes, the length its header gives, "
      "a TrueType font of * tables",
      "ok: setup.inf [MSGGB]: code page 936: title \"Vexa 安装光盘\", Close \"关闭\", 3 items in layout 101",
      "ok: setup.inf [MSGJIS] 2r: item 2 \"フォントのインストール\" opens Fonts\\Tarsik.exe",
      "ok: autorun.inf [autorun]: opens Velmora.exe, icon Velmora.exe,0, label \"VEXA\"", "*: 0 errors, 0 warnings"}},
    {"a piece missing",
     [](const std::string& disc) { DeleteFileA((disc + "\\Fonts\\DISK2\\HVHEI.TT2").c_str()); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維黑體 File2: HVHEI.TT2 is not on the disc: the installer asks for "
      "\"第二片\" and no folder has it"}},
    {"a piece named in another letter case",
     [](const std::string& disc) {
         // Through another name: a rename that changes the letter case alone may change nothing.
         MoveFileA((disc + "\\Fonts\\HVMONO.TTF").c_str(), (disc + "\\Fonts\\renamed").c_str());
         MoveFileA((disc + "\\Fonts\\renamed").c_str(), (disc + "\\Fonts\\hvmono.ttf").c_str());
     },
     0,
     {"ok: Fonts\\VEXA95.INI [Font Files] 漢維等寬體 File1: Fonts\\hvmono.ttf beside the installer"}},
    {"a piece found twice with different contents",
     [](const std::string& disc) {
         CreateDirectoryA((disc + "\\Fonts\\DISK3").c_str(), nullptr);
         vexatest::WriteBytes(disc + "\\Fonts\\DISK3\\HVHEI.TT2", "another piece");
     },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維黑體 File2: Fonts\\DISK2\\HVHEI.TT2 and Fonts\\DISK3\\HVHEI.TT2 "
      "differ: what is installed depends on the folder the user types when the installer asks for \"第二片\""}},
    {"a compressed piece cut short",
     [](const std::string& disc) { Cut(disc + "\\Fonts\\HVMING.TT_", 40000); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維明體 File1: the installer cannot install it: message 97 "
      "\"原始檔案格式不合法。\""}},
    {"the second piece of a split file cut short",
     [](const std::string& disc) { Cut(disc + "\\Fonts\\DISK2\\HVHEI.TT2", 1000); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維黑體 Files: the installer cannot install it: message 97 *"}},
    {"a compressed-file header of an unknown method",
     [](const std::string& disc) {
         std::string bytes = vexatest::FileBytes(disc + "\\Fonts\\HVMING.TT_");
         bytes[8] = 'B';
         vexatest::WriteBytes(disc + "\\Fonts\\HVMING.TT_", bytes);
     },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維明體 File1: Fonts\\HVMING.TT_ has a compressed-file header that LZ32 "
      "refuses (-8): the installer shows message 92 \"字型檔案碰到無法處理之狀況。\""}},
    {"a compressed file marked plain",
     [](const std::string& disc) { EditScript(disc, "漢維明體 Compressed=1", "漢維明體 Compressed=0"); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維明體 File1: Fonts\\HVMING.TT_ is a compressed file, but Compressed "
      "is 0: the installer copies the compressed bytes as they are"}},
    {"a font file that is no font",
     [](const std::string& disc) { vexatest::WriteBytes(disc + "\\Fonts\\HVMONO.TTF", "Vexa notes\r\n"); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維等寬體 File1: 12 bytes, and not a TrueType or OpenType font (it "
      "begins 56 65 78 61): the installer would register it as one"}},
    {"a Size smaller than the font",
     [](const std::string& disc) { EditScript(disc, "漢維黑體 Size=", "漢維黑體 Size=100\r\n; "); },
     1,
     {"warning: Fonts\\VEXA95.INI [Font Files] 漢維黑體 Size: 100 KB is less than the * KB (* bytes) the file takes: "
      "the free-space check would pass a disk that is too full"}},
    {"two items writing one file with the same bytes",
     [](const std::string& disc) {
         EditScript(disc, "Fonts=3", "Fonts=4\r\nFont4=漢維等寬體二");
         EditScript(disc, "[Font Files]",
                    "[Font Files]\r\n漢維等寬體二 Files=1\r\n漢維等寬體二 FontName=Halvex Mono Two (TrueType)\r\n"
                    "漢維等寬體二 File1=HVMONO.TTF\r\n漢維等寬體二 Disk1=第一片\r\n漢維等寬體二 Size=336\r\n");
     },
     1,
     {"warning: * 漢維等寬體二 File1: writes *\\HVMONO.TTF, as 漢維等寬體 ([Fonts] Font1) does, with the same bytes*"},
     1},
    {"two items writing one file with other bytes",
     [](const std::string& disc) {
         AddToScript(disc,
                     "[Misc]\nItems=1\nItem1=等寬加長\n[Misc Files]\n等寬加長 Files=2\n等寬加長 File1=HVMONO.TTF\n"
                     "等寬加長 Disk1=第一片\n等寬加長 File2=DISK2\\HVHEI.TT2\n等寬加長 Disk2=第一片\n"
                     "等寬加長 DstDir=FONTS\n等寬加長 AddWindowsDir=1\n");
     },
     2,
     {"error: * 漢維等寬體 File1: writes *\\FONTS\\HVMONO.TTF, as 等寬加長 ([Misc] Item1) does, with other bytes*"},
     1},
    {"a font cut to half its length",
     [](const std::string& disc) { Cut(disc + "\\Fonts\\HVMONO.TTF", 343140 / 2); },
     2,
     {"error: * 漢維等寬體 File1: 171570 bytes, a TrueType font of 18 tables, damaged: table '*' (bytes * to *) ends "
      "past the end of the file (171570 bytes): the file is cut short: the installer would register it as it is"}},
    {"one byte changed inside a compressed font",
     [](const std::string& disc) { ASSERT_TRUE(vexatest::FlipLiteral(disc + "\\Fonts\\HVMING.TT_")); },
     2,
     {"error: * 漢維明體 File1: expanded: 380660 bytes, *, damaged: table '*' does not add up to its checksum*"},
     1},
    {"a table's tag changed in a font",
     [](const std::string& disc) { EditBytes(disc + "\\Fonts\\HVMONO.TTF", "glyf", "glyF"); },
     2,
     {"error: * 漢維等寬體 File1: 343140 bytes, *, damaged: the font does not add up to the checksum its 'head' *"},
     1},
    {"a TrueType font marked as one of PostScript outlines",
     [](const std::string& disc) { EditBytes(disc + "\\Fonts\\HVMONO.TTF", std::string("\0\1\0\0", 4), "OTTO"); },
     2,
     {"error: * 漢維等寬體 File1: *, an OpenType font of 18 tables, damaged: it is marked an OpenType font of *"},
     1},
    {"an EUDC font for a font the script does not install",
     [](const std::string& disc) {
         CopyFileA((disc + "\\Fonts\\HVMONO.TTF").c_str(), (disc + "\\Fonts\\HVMONO.TTE").c_str(), FALSE);
         AddToScript(disc,
                     "[TTEs]\nFonts=1\nFont1=等寬外字\n[TTE Files]\n等寬外字 Size=336\n等寬外字 Files=1\n等寬外字 "
                     "FontName=Halvex Mono Bold (TrueType)\n等寬外字 AFiles=1\n等寬外字 AFontName1=Halvex Mono\n"
                     "等寬外字 File1=HVMONO.TTE\n等寬外字 Disk1=第一片\n");
     },
     1,
     {"warning: * [TTE Files] 等寬外字 FontName: \"Halvex Mono Bold (TrueType)\" is registered by no Fonts item*"},
     1},
    {"tables without a usable key",
     [](const std::string& disc) {
         vexatest::WriteBytes(disc + "\\Fonts\\PHON.TBL", "phonetic table");
         AddToScript(disc,
                     "[Tbls]\nTbls=2\nTbl1=注音\nTbl2=倉頡\n[Tbls Files]\n注音 Files=1\n注音 File1=PHON.TBL\n"
                     "注音 Disk1=第一片\n倉頡 Files=1\n倉頡 File1=PHON.TBL\n倉頡 Disk1=第一片\n倉頡 DstDir=SYSTEM\n"
                     "倉頡 AddWindowsDir=1\n倉頡 UserKey=\\Software\\Vexa\\倉頡\n");
     },
     2,
     {"error: * [Tbls Files] 注音 UserKey: empty or missing: the installer copies the table, then shows \"Can't*",
      "error: * [Tbls Files] 倉頡 UserKey: begins with a backslash, *\"Can't Create Key \\Software\\Vexa\\倉頡\"*"},
     2},
    {"a destination two folders deep that is not there",
     [](const std::string& disc) {
         vexatest::WriteBytes(disc + "\\Fonts\\README.TXT", "read me");
         AddToScript(disc,
                     "[Misc]\nItems=1\nItem1=說明\n[Misc Files]\n說明 Files=1\n說明 File1=README.TXT\n"
                     "說明 Disk1=第一片\n說明 DstDir=C:\\VEXA 說明\\許\\功\n");
     },
     2,
     {"error: * [Misc Files] 說明 DstDir: C:\\VEXA 說明\\許\\功: C:\\VEXA 說明 and C:\\VEXA 說明\\許 are not there, and "
      "the installer makes only the last folder of a destination: it shows message 12 *\\功\\README.TXT !\""},
     1},
    {"two fonts of one font name",
     [](const std::string& disc) {
         EditScript(disc, "漢維黑體 FontName=Halvex Hei (TrueType)", "漢維黑體 FontName=HALVEX MING (TrueType)");
     },
     2,
     {"error: * 漢維黑體 FontName: \"HALVEX MING (TrueType)\" is the FontName of 漢維明體 ([Fonts] Font2) too*"},
     1},
    {"an item listed twice",
     [](const std::string& disc) { EditScript(disc, "Fonts=3", "Fonts=4\r\nFont4=漢維等寬體"); },
     2,
     {"error: Fonts\\VEXA95.INI [Fonts] Font4: 漢維等寬體: listed again: it is Font1 already*"},
     1},
    {"a count that reads as 0",
     [](const std::string& disc) { EditScript(disc, "Fonts=3", "Fonts=three"); },
     2,
     {"error: Fonts\\VEXA95.INI [Fonts] Fonts: \"three\", which reads as 0, though Font1 is listed*",
      "warning: Fonts\\VEXA95.INI: installs nothing*"},
     2},
    {"an empty script",
     [](const std::string& disc) { vexatest::WriteBytes(disc + "\\Fonts\\VEXA95.INI", ""); },
     1,
     {"warning: Fonts\\VEXA95.INI: installs nothing*"},
     1},
    {"a disk label and a font name longer than the installer keeps",
     [](const std::string& disc) {
         EditScript(disc, "漢維黑體 Disk2=第二片", "漢維黑體 Disk2=第二片：漢維黑體的後半，在光碟中的資料夾 DISK2");
         EditScript(disc, "漢維明體 FontName=Halvex Ming (TrueType)",
                    "漢維明體 FontName=Halvex Ming Extra Condensed Ultra Light Italic Small Caps Display (TrueType)");
     },
     1,
     {"warning: * 漢維黑體 Disk2: 46 bytes, longer than the 39 the installer keeps: it is cut to \"第二片：漢維黑體的後半，在光碟中的資料\"",
      "warning: * 漢維明體 FontName: 76 bytes, *: it is cut to \"Halvex Ming * Small Caps Display (True\""},
     2},
    {"a product named for Apps & features",
     [](const std::string& disc) {
         AddToScript(disc,
                     "[Product]\nName=漢維字型集 Halvex Type Collection for Traditional Chinese Windows 95 and NT\n"
                     "Version=2.1\nPublisher=Vexa 字型\n");
     },
     1,
     {"ok: * [Product]: \"漢維字型集 * Windows 95 an\" version \"2.1\" by \"Vexa 字型\": the product as Apps & features *",
      "warning: * [Product] Name: 75 bytes, longer than the 71 the installer keeps: it is cut to \"漢維字型集 *95 an\""},
     1},
    {"a product without a name",
     [](const std::string& disc) { AddToScript(disc, "[Product]\nVersion=2.1\n"); },
     1,
     {"warning: Fonts\\VEXA95.INI [Product] Name: missing, though [Product] gives a Version*"},
     1},
    {"a script the installer refuses",
     [](const std::string& disc) { EditScript(disc, "漢維黑體 Files=2", "漢維黑體 Files=0"); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維黑體 Files: no pieces: the installer stops with message 11 "
      "\"起始設定檔案中之資料不對 !\""}},
    {"a piece name that climbs out of the disc",
     [](const std::string& disc) { EditScript(disc, "漢維等寬體 File1=HVMONO.TTF", "漢維等寬體 File1=..\\VICTIM.TTF"); },
     2,
     {"error: Fonts\\VEXA95.INI [Font Files] 漢維等寬體 File1: file name leaves its folder: the installer stops with "
      "message 11 *"}},
    {"no script beside the installer",
     [](const std::string& disc) { DeleteFileA((disc + "\\Fonts\\VEXA95.INI").c_str()); },
     2,
     {"error: Fonts\\VEXA95.INI: not beside Fonts\\Tarsik.exe * message 10 \"找不到起始設定檔案 !\""}},
    {"a language section missing",
     [](const std::string& disc) { Edit(disc + "\\setup.inf", "[MSGGB]", "[MSGXX]", 936); },
     1,
     {"warning: setup.inf [MSGGB]: missing: a machine of code page 936 (or the language code 200) shows the "
      "defaults, the title \"Tolvane\" and no item"}},
    {"a section saved in the wrong code page",
     [](const std::string& disc) {
         EditBytes(disc + "\\setup.inf", vexatest::FromUtf8("Title=Vexa 安裝光碟", 950), "Title=Vexa 安裝光碟");
     },
     2,
     {"error: setup.inf [MSGBIG5] Title: not text in code page 950: it reads as UTF-8; the section must be saved in "
      "its own code page"}},
    {"a target not on the disc",
     [](const std::string& disc) { DeleteFileA((disc + "\\Chooser\\Orvane.exe").c_str()); },
     2,
     {"error: setup.inf [MSGBIG5] 1r: Chooser\\Orvane.exe is not on the disc: item 1 \"選擇要安裝的產品\" opens "
      "nothing",
      "error: setup.inf [MSGKSC] 1r: Chooser\\Orvane.exe is not on the disc: item 1 \"설치할 제품 선택\" opens "
      "nothing"}},
    {"items after a missing one",
     [](const std::string& disc) { Edit(disc + "\\setup.inf", "Close=Close", "Close=Close\r\n5=Help", 1252); },
     1,
     {"warning: setup.inf [MSGENG] 5: never shows: item 4 is missing, and the menu stops there"}},
    {"a stray key that picks a tighter layout",
     [](const std::string& disc) { Edit(disc + "\\setup.inf", "Close=Close", "Close=Close\r\n17=Extra", 1252); },
     1,
     {"warning: setup.inf [MSGENG] 17: present: layout 103 for 3 items, tighter than the 101 they need"}},
    {"an item without a target",
     [](const std::string& disc) { Edit(disc + "\\setup.inf", "3r=readme.txt\r\n\r\n", "3r=\r\n\r\n", 1252); },
     1,
     {"warning: setup.inf [MSGBIG5] 3r: empty: item 3 \"讀我檔案\" opens the disc's root folder"}},
    {"autorun.inf opening another program",
     [](const std::string& disc) {
         Edit(disc + "\\autorun.inf", "open=Velmora.exe", "open=Chooser\\Orvane.exe", 1252);
     },
     1,
     {"warning: autorun.inf [autorun] open: opens Chooser\\Orvane.exe, not the menu launcher Velmora.exe"}},
    {"no autorun.inf",
     [](const std::string& disc) { DeleteFileA((disc + "\\autorun.inf").c_str()); },
     1,
     {"warning: autorun.inf: missing: the disc does not open the menu by itself"}},
    {"a folder that is no disc",
     [](const std::string& disc) { vexatest::RemoveTree(disc); },
     2,
     {"error: *: cannot be read as a disc: no such folder"}},
};

class BrokenDiscTest : public ::testing::TestWithParam<BrokenDisc> {};

TEST_P(BrokenDiscTest, ReportNamesTheFault) {
    const BrokenDisc& c = GetParam();
    ScratchDir dir;
    std::string disc = dir / "disc";
    CopyTree(vexatest::DataFile("sample_disc"), disc);
    c.change(disc);

    vexacheck::Report report;
    vexacheck::CheckDisc(disc.c_str(), report);
    std::vector<std::string> lines = report.Lines(disc);
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    for (const char* expected : c.lines) {
        bool found = false;
        for (const std::string& line : lines) found = found || Matches(expected, line.c_str());
        EXPECT_TRUE(found) << "expected: " << expected << "\nreport:\n" << all;
    }
    EXPECT_EQ(report.ExitStatus(), c.exitStatus) << all;
    if (c.faults >= 0) {
        EXPECT_EQ(report.errors() + report.warnings(), c.faults) << all;
    }
    // A clean disc and a disc with one fault differ by that fault alone.
    if (c.exitStatus == 0) {
        EXPECT_EQ(report.errors() + report.warnings(), 0) << all;
    }
}

INSTANTIATE_TEST_SUITE_P(Discs, BrokenDiscTest, ::testing::ValuesIn(kDiscs),
                         [](const ::testing::TestParamInfo<BrokenDisc>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ? *p : '_';
                             return name;
                         });

}  // namespace
