#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ansi_text.h"
#include "install_script.h"
#include "scratch_dir.h"
#include "stdout_capture.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::FromUtf8;
using vexatest::ScratchDir;
using vexatest::StdoutCapture;
using vexatest::WriteTextFile;

namespace {

// The program path the loader sees; set per test.
std::string g_programPath;

DWORD FakeProgramPath(char* buffer, DWORD capacity) {
    if (g_programPath.size() >= capacity) {
        // As GetModuleFileNameA does with a short buffer: cut, full length.
        std::memcpy(buffer, g_programPath.data(), capacity - 1);
        buffer[capacity - 1] = '\0';
        return capacity;
    }
    std::memcpy(buffer, g_programPath.c_str(), g_programPath.size() + 1);
    return static_cast<DWORD>(g_programPath.size());
}

DWORD FailingProgramPath(char*, DWORD) { return 0; }

std::string WindowsDir() {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

const char kExample[] = R"([Misc]
Items=1
Item1=Font Viewer

[Misc Files]
Font Viewer Files=1
Font Viewer File1=VIEWER.EX_
Font Viewer Disk1=Disk 1
Font Viewer DstDir=VIEWER
Font Viewer AddWindowsDir=1
Font Viewer Compressed=1
Font Viewer Group=Fonts

[Fonts]
Fonts=1
Font1=Kai Medium

[Font Files]
Kai Medium Size=4200
Kai Medium Compressed=1
Kai Medium Files=2
Kai Medium FontName=Kai Medium (TrueType)
Kai Medium File1=KAIM.TT1
Kai Medium Disk1=Disk 1
Kai Medium File2=KAIM.TT2
Kai Medium Disk2=Disk 2

[TTEs]
Fonts=1
Font1=Kai Medium EUDC

[TTE Files]
Kai Medium EUDC Size=300
Kai Medium EUDC Files=1
Kai Medium EUDC Compressed=0
Kai Medium EUDC FontName=Kai Medium (TrueType)
Kai Medium EUDC AFiles=1
Kai Medium EUDC AFontName1=Kai Medium
Kai Medium EUDC File1=KAIMEUDC.TTE
Kai Medium EUDC Disk1=Disk 2

[Tbls]
Tbls=1
Tbl1=Phonetic Table

[Tbls Files]
Phonetic Table Files=1
Phonetic Table File1=PHON.TB_
Phonetic Table Disk1=Disk 1
Phonetic Table DstDir=SYSTEM
Phonetic Table AddWindowsDir=1
Phonetic Table Compressed=1
Phonetic Table UserKey=Software\Example\Phonetic
Phonetic Table Layout Text=Phonetic
Phonetic Table Layout file=PHON.TBL
Phonetic Table IME file=PHON.IME
)";

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_programPath = dir_ / "Tarsik.exe";
        SetProgramPathSource(FakeProgramPath);
    }
    void TearDown() override { SetProgramPathSource(nullptr); }

    // Writes the script (UTF-8 text, stored as Big5) and loads it.
    int Load(const std::string& script) {
        EXPECT_TRUE(WriteTextFile(dir_ / "VEXA95.INI", script, 950));
        return LoadInstallScript();
    }
    // Loads and returns what the loader traced.
    int LoadTraced(const std::string& script, std::string* trace) {
        StdoutCapture capture;
        int result = Load(script);
        *trace = capture.Text();
        return result;
    }

    const InstallScript& s = g_installScript;
    ScratchDir dir_;
};

// "[section]\nprefix1=...\n..." with count lines of key=value.
std::string Numbered(const std::string& prefix, int from, int count, const std::string& value,
                     const std::string& suffix = "") {
    std::string text;
    for (int n = from; n < from + count; ++n)
        text += prefix + std::to_string(n) + "=" + value + std::to_string(n) + suffix + "\n";
    return text;
}

// A detail block for an item with the given number of pieces.
std::string Pieces(const std::string& name, int count) {
    return name + " Files=" + std::to_string(count) + "\n" + Numbered(name + " File", 1, count, "F") +
           Numbered(name + " Disk", 1, count, "Disk ");
}

TEST_F(LoaderTest, ExampleScriptFillsTheModel) {
    ASSERT_EQ(Load(kExample), kScriptLoaded);
    std::string windows = WindowsDir();
    EXPECT_EQ(std::string(s.installerDir), dir_.path());
    EXPECT_EQ(std::string(s.scriptPath), dir_ / "VEXA95.INI");
    EXPECT_EQ(std::string(s.windowsDir), windows);
    EXPECT_EQ(std::string(s.fontsDir), windows + "\\FONTS");

    ASSERT_EQ(s.piecesUsed, 5);
    const char* files[] = {"VIEWER.EX_", "KAIM.TT1", "KAIM.TT2", "KAIMEUDC.TTE", "PHON.TB_"};
    const char* disks[] = {"Disk 1", "Disk 1", "Disk 2", "Disk 2", "Disk 1"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_STREQ(s.pieces[i].fileName, files[i]) << i;
        EXPECT_STREQ(s.pieces[i].diskLabel, disks[i]) << i;
    }

    ASSERT_EQ(s.miscItemCount, 1);
    const InstallItem& viewer = s.miscItems[0];
    EXPECT_STREQ(viewer.name, "Font Viewer");
    EXPECT_EQ(viewer.files.firstPiece, 0);
    EXPECT_EQ(viewer.files.pieceCount, 1);
    EXPECT_EQ(viewer.files.compressed, 1);
    EXPECT_EQ(std::string(viewer.destDir), windows + "\\VIEWER");
    EXPECT_STREQ(viewer.group, "Fonts");

    ASSERT_EQ(s.fontItemCount, 1);
    const InstallItem& kai = s.fontItems[0];
    EXPECT_STREQ(kai.name, "Kai Medium");
    EXPECT_EQ(kai.size, 4200);
    EXPECT_EQ(kai.files.firstPiece, 1);
    EXPECT_EQ(kai.files.pieceCount, 2);
    EXPECT_EQ(kai.files.compressed, 1);
    EXPECT_STREQ(kai.fontName, "Kai Medium (TrueType)");

    ASSERT_EQ(s.eudcItemCount, 1);
    const InstallItem& eudc = s.eudcItems[0];
    EXPECT_EQ(eudc.size, 300);
    EXPECT_EQ(eudc.files.firstPiece, 3);
    EXPECT_EQ(eudc.files.compressed, 0);
    EXPECT_EQ(eudc.firstLinkName, 0);
    EXPECT_EQ(eudc.linkNameCount, 1);
    EXPECT_EQ(s.linkNamesUsed, 1);
    EXPECT_STREQ(s.linkNames[0], "Kai Medium");

    ASSERT_EQ(s.tableItemCount, 1);
    const InstallItem& table = s.tableItems[0];
    EXPECT_EQ(table.files.firstPiece, 4);
    EXPECT_EQ(table.files.compressed, 1);
    EXPECT_EQ(std::string(table.destDir), windows + "\\SYSTEM");
    EXPECT_STREQ(table.userKey, "Software\\Example\\Phonetic");
    EXPECT_STREQ(table.layoutText, "Phonetic");
    EXPECT_STREQ(table.layoutFile, "PHON.TBL");
    EXPECT_STREQ(table.imeFile, "PHON.IME");
}

TEST_F(LoaderTest, MissingScriptGives10) { EXPECT_EQ(LoadInstallScript(), IDS_SCRIPT_MISSING); }

TEST_F(LoaderTest, ScriptWithoutSectionsHasNoItems) {
    ASSERT_EQ(Load("; nothing here\n"), kScriptLoaded);
    EXPECT_EQ(s.miscItemCount + s.fontItemCount + s.eudcItemCount + s.tableItemCount, 0);
    EXPECT_EQ(s.piecesUsed, 0);
}

TEST_F(LoaderTest, UnobtainableProgramPathGives5) {
    SetProgramPathSource(FailingProgramPath);
    EXPECT_EQ(LoadInstallScript(), IDS_SYSTEM_ERROR);
    // A path that does not fit the 260-byte buffer is no path either.
    SetProgramPathSource(FakeProgramPath);
    g_programPath = "C:\\" + std::string(300, 'x') + "\\Tarsik.exe";
    EXPECT_EQ(LoadInstallScript(), IDS_SYSTEM_ERROR);
}

TEST_F(LoaderTest, SectionAndKeyNamesIgnoreCase) {
    ASSERT_EQ(Load("[fONTS]\nfonts=1\nFONT1=Ming\n[font files]\nMING files=1\nming FILE1=M.TTF\n"
                   "Ming disk1=D1\nming fontname=Ming (TrueType)\nming SIZE=12\n"),
              kScriptLoaded);
    ASSERT_EQ(s.fontItemCount, 1);
    EXPECT_STREQ(s.pieces[0].fileName, "M.TTF");
    EXPECT_STREQ(s.fontItems[0].fontName, "Ming (TrueType)");
    EXPECT_EQ(s.fontItems[0].size, 12);
}

// The name holds 功, whose second byte is a backslash: the keys formed from
// it are looked up whole.
TEST_F(LoaderTest, Big5NamesAreKeptByteForByte) {
    std::string script =
        "[Fonts]\nFonts=1\nFont1=瑟維功夫楷\n[Font Files]\n瑟維功夫楷 Files=1\n瑟維功夫楷 File1=蓋..\\KAI.TTF\n"
        "瑟維功夫楷 Disk1=第一片\n瑟維功夫楷 FontName=瑟維功夫楷 (TrueType)\n";
    ASSERT_EQ(Load(script), kScriptLoaded);
    EXPECT_EQ(std::string(s.fontItems[0].name), FromUtf8("瑟維功夫楷", 950));
    EXPECT_EQ(std::string(s.fontItems[0].fontName), FromUtf8("瑟維功夫楷 (TrueType)", 950));
    EXPECT_EQ(std::string(s.pieces[0].diskLabel), FromUtf8("第一片", 950));
    // The second byte of 蓋 is a backslash: ".." after it is no component of its own.
    EXPECT_EQ(std::string(s.pieces[0].fileName), FromUtf8("蓋..\\KAI.TTF", 950));
}

TEST_F(LoaderTest, FontsAndEudcItemsMayShareAName) {
    ASSERT_EQ(Load("[Fonts]\nFonts=1\nFont1=Kai\n[Font Files]\nKai Files=1\nKai File1=KAI.TTF\n"
                   "Kai Disk1=D1\nKai FontName=Kai (TrueType)\n"
                   "[TTEs]\nFonts=1\nFont1=Kai\n[TTE Files]\nKai Files=1\nKai File1=KAI.TTE\n"
                   "Kai Disk1=D2\nKai FontName=Kai (TrueType)\nKai AFiles=1\nKai AFontName1=Kai\n"),
              kScriptLoaded);
    EXPECT_STREQ(s.pieces[s.fontItems[0].files.firstPiece].fileName, "KAI.TTF");
    EXPECT_STREQ(s.pieces[s.eudcItems[0].files.firstPiece].fileName, "KAI.TTE");
}

TEST_F(LoaderTest, LongNamesFormWholeKeys) {
    std::string name71(71, 'N');
    std::string script = "[Misc]\nItems=1\nItem1=" + name71 + "\n[Misc Files]\n" + Pieces(name71, 1) + name71 +
                         " DstDir=LONG\n" + name71 + " AddWindowsDir=1\n";
    ASSERT_EQ(Load(script), kScriptLoaded);
    EXPECT_EQ(std::string(s.miscItems[0].name), name71);
    EXPECT_EQ(std::string(s.miscItems[0].destDir), WindowsDir() + "\\LONG");

    // A longer name is cut to 71 characters, and its keys use the cut name.
    std::string name80 = name71 + "TAILTAILT";
    script = "[Misc]\nItems=1\nItem1=" + name80 + "\n[Misc Files]\n" + Pieces(name71, 2);
    ASSERT_EQ(Load(script), kScriptLoaded);
    EXPECT_EQ(std::string(s.miscItems[0].name), name71);
    EXPECT_EQ(s.miscItems[0].files.pieceCount, 2);
}

struct DestinationCase {
    const char* keys;      // extra lines for the item "T"
    const char* expected;  // destDir with "%W" for the Windows directory
};

class DestinationTest : public LoaderTest, public ::testing::WithParamInterface<DestinationCase> {};

TEST_P(DestinationTest, DstDirAndAddWindowsDir) {
    std::string script = std::string("[Tbls]\nTbls=1\nTbl1=T\n[Tbls Files]\n") + Pieces("T", 1) + GetParam().keys;
    ASSERT_EQ(Load(script), kScriptLoaded);
    std::string expected = GetParam().expected;
    for (size_t w; (w = expected.find("%W")) != std::string::npos;) expected.replace(w, 2, WindowsDir());
    EXPECT_EQ(std::string(s.tableItems[0].destDir), expected);
}

INSTANTIATE_TEST_SUITE_P(Loader, DestinationTest,
                         ::testing::Values(DestinationCase{"", "%W"},
                                           DestinationCase{"T DstDir=SYSTEM\nT AddWindowsDir=1\n", "%W\\SYSTEM"},
                                           DestinationCase{"T DstDir=SYSTEM\nT AddWindowsDir=2\n", "SYSTEM"},
                                           DestinationCase{"T DstDir=E:\\IME\n", "E:\\IME"},
                                           DestinationCase{"T DstDir=\nT AddWindowsDir=1\n", "%W\\"},
                                           DestinationCase{"T AddWindowsDir=1\n", "%W"},
                                           DestinationCase{"T DstDir=e:\\IME\nT AddWindowsDir=1\n", "e:\\IME"}));

// Each script breaks one rule; the trace names the section and the key.
struct InvalidCase {
    const char* what;
    std::string script;
    const char* traced;  // expected start of the trace line
};

class InvalidScriptTest : public LoaderTest, public ::testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidScriptTest, Gives11AndTracesTheKey) {
    std::string trace;
    EXPECT_EQ(LoadTraced(GetParam().script, &trace), IDS_SCRIPT_INVALID);
    EXPECT_EQ(trace.rfind(GetParam().traced, 0), 0u) << trace;
    EXPECT_EQ(trace.find('\n'), trace.size() - 1) << "exactly one line: " << trace;
}

const std::string kFont = "[Fonts]\nFonts=1\nFont1=Kai\n[Font Files]\n";
const std::string kEudc = "[TTEs]\nFonts=1\nFont1=Kai\n[TTE Files]\n";

std::string MiscItems(int count, int piecesEach) {
    std::string text =
        "[Misc]\nItems=" + std::to_string(count) + "\n" + Numbered("Item", 1, count, "M") + "[Misc Files]\n";
    for (int n = 1; n <= count; ++n) text += Pieces("M" + std::to_string(n), piecesEach);
    return text;
}

// 59 pieces in Misc, Fonts and TTEs, then a table with `tablePieces`.
std::string SixtyPieceScript(int tablePieces) {
    return MiscItems(1, 20) + kFont + Pieces("Kai", 20) + "Kai FontName=K\n" + kEudc + Pieces("Kai", 19) +
           "Kai FontName=K\nKai AFiles=1\nKai AFontName1=Kai\n" + "[Tbls]\nTbls=1\nTbl1=T\n[Tbls Files]\n" +
           Pieces("T", tablePieces);
}

// TTEs items with the given link-name counts.
std::string EudcWithLinks(int first, int second) {
    std::string text = "[TTEs]\nFonts=2\nFont1=A\nFont2=B\n[TTE Files]\n";
    text += Pieces("A", 1) + "A FontName=K\nA AFiles=" + std::to_string(first) + "\n" +
            Numbered("A AFontName", 1, first, "L");
    text += Pieces("B", 1) + "B FontName=K\nB AFiles=" + std::to_string(second) + "\n" +
            Numbered("B AFontName", 1, second, "L");
    return text;
}

std::string PieceNamed(const std::string& name) {
    return kFont + "Kai Files=1\nKai FontName=K\nKai File1=" + name + "\nKai Disk1=D\n";
}
const char kClimbs[] = "VEXA95.INI: [Font Files] Kai File1: file name leaves its folder";

INSTANTIATE_TEST_SUITE_P(
    Loader, InvalidScriptTest,
    ::testing::Values(
        InvalidCase{"21 misc items", MiscItems(21, 1), "VEXA95.INI: [Misc] Items: "},
        InvalidCase{"61 fonts", "[Fonts]\nFonts=61\n", "VEXA95.INI: [Fonts] Fonts: "},
        InvalidCase{"61 EUDC fonts", "[TTEs]\nFonts=61\n", "VEXA95.INI: [TTEs] Fonts: "},
        InvalidCase{"21 tables", "[Tbls]\nTbls=21\n", "VEXA95.INI: [Tbls] Tbls: "},
        InvalidCase{"negative items", "[Misc]\nItems=-1\n", "VEXA95.INI: [Misc] Items: "},
        InvalidCase{"negative fonts", "[TTEs]\nFonts=-3\n", "VEXA95.INI: [TTEs] Fonts: "},
        InvalidCase{"negative font size", kFont + "Kai Size=-1\n" + Pieces("Kai", 1) + "Kai FontName=K\n",
                    "VEXA95.INI: [Font Files] Kai Size: negative size"},
        InvalidCase{"huge negative EUDC size", kEudc + "Kai Size=-2147483648\n",
                    "VEXA95.INI: [TTE Files] Kai Size: negative size"},
        InvalidCase{"missing item name", "[Misc]\nItems=2\nItem1=A\n[Misc Files]\n" + Pieces("A", 1),
                    "VEXA95.INI: [Misc] Item2: empty item name"},
        InvalidCase{"empty font name in list", "[Fonts]\nFonts=1\nFont1=\n", "VEXA95.INI: [Fonts] Font1: "},
        InvalidCase{"empty table name", "[Tbls]\nTbls=1\nTbl1=\n", "VEXA95.INI: [Tbls] Tbl1: "},
        InvalidCase{"missing Files", kFont + "Kai FontName=K\n", "VEXA95.INI: [Font Files] Kai Files: no pieces"},
        InvalidCase{"Files not a number", kFont + "Kai Files=two\nKai FontName=K\n",
                    "VEXA95.INI: [Font Files] Kai Files: no pieces"},
        InvalidCase{"Files zero", "[Misc]\nItems=1\nItem1=A\n[Misc Files]\nA Files=0\n",
                    "VEXA95.INI: [Misc Files] A Files: no pieces"},
        InvalidCase{"negative Files", "[Tbls]\nTbls=1\nTbl1=T\n[Tbls Files]\nT Files=-2\n",
                    "VEXA95.INI: [Tbls Files] T Files: "},
        InvalidCase{"empty second file", kFont + "Kai Files=2\nKai FontName=K\nKai File1=A\nKai Disk1=D\nKai Disk2=D\n",
                    "VEXA95.INI: [Font Files] Kai File2: empty file name"},
        InvalidCase{"empty disk", "[Misc]\nItems=1\nItem1=A\n[Misc Files]\nA Files=1\nA File1=X\nA Disk1=\n",
                    "VEXA95.INI: [Misc Files] A Disk1: empty disk label"},
        InvalidCase{"empty FontName", kFont + Pieces("Kai", 1), "VEXA95.INI: [Font Files] Kai FontName: "},
        InvalidCase{"empty EUDC FontName", kEudc + Pieces("Kai", 1) + "Kai AFiles=1\nKai AFontName1=K\n",
                    "VEXA95.INI: [TTE Files] Kai FontName: "},
        InvalidCase{"no link names", kEudc + Pieces("Kai", 1) + "Kai FontName=K\n",
                    "VEXA95.INI: [TTE Files] Kai AFiles: no link names"},
        InvalidCase{"negative link names", kEudc + Pieces("Kai", 1) + "Kai FontName=K\nKai AFiles=-1\n",
                    "VEXA95.INI: [TTE Files] Kai AFiles: "},
        InvalidCase{"empty link name", kEudc + Pieces("Kai", 1) + "Kai FontName=K\nKai AFiles=2\nKai AFontName1=K\n",
                    "VEXA95.INI: [TTE Files] Kai AFontName2: empty link name"},
        InvalidCase{"61 link names", EudcWithLinks(30, 31), "VEXA95.INI: [TTE Files] B AFiles: "},
        InvalidCase{"61 pieces in one misc item", MiscItems(1, 61), "VEXA95.INI: [Misc Files] M1 Files: "},
        InvalidCase{"61st piece in the last table", SixtyPieceScript(2),
                    "VEXA95.INI: [Tbls Files] T Files: more than 60 pieces"},
        // A piece's name is a name on the disc: the destination file is named after it.
        InvalidCase{"a piece that climbs", PieceNamed("..\\VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece that climbs further", PieceNamed("SUB\\..\\..\\VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece that climbs by slashes", PieceNamed("SUB/../../VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece that climbs by dots and a space", PieceNamed(".. \\VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece on a drive", PieceNamed("C:VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece from the root", PieceNamed("\\VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece on a share", PieceNamed("\\\\server\\share\\VICTIM.TTF"), kClimbs},
        InvalidCase{"a piece behind a Big5 folder", PieceNamed("功\\..\\..\\V.TTF"), kClimbs}),
    [](const ::testing::TestParamInfo<InvalidCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST_F(LoaderTest, LimitsThemselvesLoad) {
    ASSERT_EQ(Load(MiscItems(20, 1)), kScriptLoaded);
    EXPECT_EQ(s.miscItemCount, 20);
    EXPECT_STREQ(s.miscItems[19].name, "M20");
    EXPECT_EQ(s.miscItems[19].files.firstPiece, 19);

    ASSERT_EQ(Load(SixtyPieceScript(1)), kScriptLoaded);
    EXPECT_EQ(s.piecesUsed, 60);
    EXPECT_EQ(s.tableItems[0].files.firstPiece, 59);
    EXPECT_STREQ(s.pieces[59].fileName, "F1");

    ASSERT_EQ(Load(EudcWithLinks(30, 30)), kScriptLoaded);
    EXPECT_EQ(s.linkNamesUsed, 60);
    EXPECT_EQ(s.eudcItems[1].firstLinkName, 30);
    EXPECT_STREQ(s.linkNames[59], "L30");
}

TEST_F(LoaderTest, TooLongJoinedDestinationIsRefused) {
    // The Windows directory joined with a 250-character DstDir no longer fits
    // 259 characters; a cut path would send the file somewhere else.
    std::string script = "[Misc]\nItems=1\nItem1=A\n[Misc Files]\n" + Pieces("A", 1) +
                         "A DstDir=" + std::string(250, 'd') + "\nA AddWindowsDir=1\n";
    std::string trace;
    EXPECT_EQ(LoadTraced(script, &trace), IDS_SCRIPT_INVALID);
    EXPECT_NE(trace.find("[Misc Files] A AddWindowsDir"), std::string::npos) << trace;
}

TEST_F(LoaderTest, ProgramInADriveRoot) {
    // The test run maps drive R: onto a scratch directory of its own.
    ASSERT_NE(GetDriveTypeA("R:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
    g_programPath = "R:\\Tarsik.exe";
    ASSERT_TRUE(WriteTextFile("R:\\VEXA95.INI", MiscItems(1, 1), 950));
    int result = LoadInstallScript();
    DeleteFileA("R:\\VEXA95.INI");
    EXPECT_EQ(result, kScriptLoaded);
    EXPECT_STREQ(s.installerDir, "R:");
    EXPECT_STREQ(s.scriptPath, "R:\\VEXA95.INI");
    EXPECT_EQ(s.miscItemCount, 1);
}

// Big5 characters whose second byte is a backslash end the program's
// directory, or its file name: the directory is cut at the last real
// backslash, and the script is found beside the program.
TEST_F(LoaderTest, ProgramDirectoryAndNameEndingInTheBackslashByte) {
    struct Case {
        const char* dir;
        const char* program;
    } cases[] = {{"成功", "Tarsik.exe"}, {"x", "安裝功.EXE"}, {"許", "蓋"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir);
        std::string dir = dir_.MakeDir(FromUtf8(c.dir, 950));
        g_programPath = dir + "\\" + FromUtf8(c.program, 950);
        ASSERT_TRUE(WriteTextFile(dir + "\\VEXA95.INI", MiscItems(1, 1), 950));
        EXPECT_EQ(LoadInstallScript(), kScriptLoaded);
        EXPECT_EQ(std::string(s.installerDir), dir);
        EXPECT_EQ(s.miscItemCount, 1);
    }
}

struct JoinCase {
    const char* directory;
    const char* name;
    const char* joined;
};

class JoinPathTest : public ::testing::TestWithParam<JoinCase> {};

// The cases are UTF-8; the paths are joined as Big5 text.
TEST_P(JoinPathTest, Joins) {
    ASSERT_EQ(GetACP(), 950u);
    char result[kPathCapacity];
    std::string directory = FromUtf8(GetParam().directory, 950), name = FromUtf8(GetParam().name, 950);
    EXPECT_EQ(JoinPath(result, sizeof result, directory.c_str(), name.c_str()), 1);
    EXPECT_EQ(std::string(result), FromUtf8(GetParam().joined, 950));
}

INSTANTIATE_TEST_SUITE_P(
    Loader, JoinPathTest,
    ::testing::Values(JoinCase{"", "A.TTF", "A.TTF"}, JoinCase{"C:\\", "A.TTF", "C:\\A.TTF"},
                      JoinCase{"D:", "VEXA95.INI", "D:\\VEXA95.INI"}, JoinCase{"C:\\WIN", "A.TTF", "C:\\WIN\\A.TTF"},
                      JoinCase{"C:\\WIN", "\\A", "C:\\WIN\\\\A"}, JoinCase{"C:\\WIN", "", "C:\\WIN\\"},
                      // the second byte of 功, 許 and 蓋 is 0x5C
                      JoinCase{"D:\\成功", "KAI.TTF", "D:\\成功\\KAI.TTF"},
                      JoinCase{"D:\\許\\", "KAI.TTF", "D:\\許\\KAI.TTF"}, JoinCase{"蓋", "功.TTF", "蓋\\功.TTF"}));

TEST(JoinPathLimits, CutsAtCapacityAndSaysSo) {
    char result[8];
    EXPECT_EQ(JoinPath(result, sizeof result, "C:\\ABCD", "EFG"), 0);
    EXPECT_STREQ(result, "C:\\ABCD");
    EXPECT_EQ(JoinPath(result, sizeof result, "C:", "ABCD"), 1);
    EXPECT_STREQ(result, "C:\\ABCD");
}

}  // namespace
