// File transfer against real font files: DejaVu TrueType files from the
// build host and their SZDD-compressed forms made at build time by
// mscompress. Each test gets its own media, destination and temporary
// directory (TMP and TEMP point into its scratch directory), so temporary
// files left behind are seen exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "file_transfer.h"
#include "install_script.h"
#include "install_session.h"
#include "import_hook.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::Big5;
using vexatest::DataBytes;
using vexatest::ReadBytes;
using vexatest::ScratchDir;
using vexatest::ScriptedUi;
using vexatest::UiEvent;
using vexatest::WriteBytes;

namespace {

// Splits bytes at the given offsets (ascending; equal offsets make an empty
// piece).
std::vector<std::string> Cut(const std::string& bytes, const std::vector<size_t>& cuts) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at : cuts) {
        parts.push_back(bytes.substr(from, at - from));
        from = at;
    }
    parts.push_back(bytes.substr(from));
    return parts;
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

class FileTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&g_installScript, 0, sizeof g_installScript);
        std::memset(&g_installSession, 0, sizeof g_installSession);
        media = scratch.MakeDir("media");
        temp = scratch.MakeDir("temp");
        destDir = scratch / "fonts";
        CopyText(g_installSession.sourceDir, kPathCapacity, media.c_str());
        for (const char* name : {"TMP", "TEMP"}) {
            char old[MAX_PATH] = "";
            DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
            savedEnv.push_back(n > 0 && n < sizeof old ? std::string(old) : std::string());
            SetEnvironmentVariableA(name, (temp + "\\").c_str());
        }
    }
    void TearDown() override {
        const char* names[] = {"TMP", "TEMP"};
        for (int i = 0; i < 2; ++i)
            SetEnvironmentVariableA(names[i], savedEnv[i].empty() ? nullptr : savedEnv[i].c_str());
    }

    // Adds pieces to the script's table and writes their bytes into dir
    // (a null text leaves the piece missing). Returns the group.
    FileGroup AddGroup(const std::vector<std::string>& names, const std::vector<const std::string*>& bytes,
                       int compressed, const std::string& dir) {
        FileGroup group{g_installScript.piecesUsed, static_cast<int>(names.size()), compressed};
        for (size_t i = 0; i < names.size(); ++i) {
            SourcePiece& piece = g_installScript.pieces[g_installScript.piecesUsed++];
            CopyText(piece.fileName, sizeof piece.fileName, names[i].c_str());
            std::snprintf(piece.diskLabel, sizeof piece.diskLabel, "Disk %d", static_cast<int>(i + 1));
            if (bytes[i]) {
                EXPECT_TRUE(WriteBytes(dir + "\\" + names[i], *bytes[i]));
            }
        }
        return group;
    }
    // The pieces of data, named SANS.TTF, PART2.DAT, PART3.DAT, ... in media.
    FileGroup AddCutGroup(const std::vector<std::string>& parts, int compressed) {
        names.clear();
        std::vector<const std::string*> bytes;
        for (size_t i = 0; i < parts.size(); ++i) {
            names.push_back(i == 0 ? std::string("SANS.TTF") : "PART" + std::to_string(i + 1) + ".DAT");
            bytes.push_back(&parts[i]);
        }
        return AddGroup(names, bytes, compressed, media);
    }

    TransferResult Run(const FileGroup& group, TransferOptions options = {.itemName = "Sans Item"}) {
        return TransferFileGroup(owner, group, destDir.c_str(), options, destPath);
    }

    std::string DestFile() const { return destDir + "\\SANS.TTF"; }
    std::string DestBytes() const {
        std::string bytes;
        ReadBytes(DestFile(), &bytes);
        return bytes;
    }
    // Nothing of a failed transfer may remain; a destination that was
    // there before (old) is exactly as it was.
    void ExpectNothingLeft(const std::string* old = nullptr) {
        if (old) {
            EXPECT_EQ(ListDir(destDir), std::vector<std::string>{"SANS.TTF"});
            EXPECT_TRUE(DestBytes() == *old) << "the older destination was changed";
        } else {
            EXPECT_FALSE(vexatest::FileExists(DestFile()));
            EXPECT_EQ(ListDir(destDir), std::vector<std::string>{});
        }
        EXPECT_EQ(ListDir(temp), std::vector<std::string>{});
        EXPECT_EQ(ui.busyDepth, 0);
    }

    ScratchDir scratch;
    ScriptedUi ui;
    HWND owner = reinterpret_cast<HWND>(0x1234);
    std::string media, temp, destDir;
    std::vector<std::string> savedEnv, names;
    char destPath[kPathCapacity] = "";
};

// --- the three shapes, against the original font byte for byte -----------

struct ShapeCase {
    const char* label;
    const char* data;  // file the pieces are cut from
    int compressed;
    std::vector<size_t> cuts;  // where the data is cut into pieces
};
void PrintTo(const ShapeCase& c, std::ostream* out) { *out << c.label; }

class TransferShapes : public FileTransferTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(TransferShapes, DestinationIsTheOriginalFont) {
    const ShapeCase& c = GetParam();
    std::string original = DataBytes("SANS.TTF");
    ASSERT_GT(original.size(), 700000u);
    std::vector<std::string> parts = Cut(DataBytes(c.data), c.cuts);
    FileGroup group = AddCutGroup(parts, c.compressed);
    // An older, longer file of the same name is overwritten without a word.
    CreateDirectoryA(destDir.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(DestFile(), std::string(original.size() + 5000, 'x')));

    ASSERT_EQ(Run(group), TransferDone);

    EXPECT_EQ(std::string(destPath), DestFile());
    std::string written = DestBytes();
    EXPECT_EQ(written.size(), original.size());
    EXPECT_TRUE(written == original) << "destination differs from the original font";
    // The destination is named after the first piece only.
    EXPECT_EQ(ListDir(destDir), std::vector<std::string>{"SANS.TTF"});
    EXPECT_EQ(ListDir(temp), std::vector<std::string>{});
    EXPECT_EQ(ui.WarningIds(), std::vector<int>{});
    EXPECT_TRUE(ui.Of(UiEvent::DiskPrompt).empty());
    EXPECT_EQ(ui.busyDepth, 0);
    std::vector<UiEvent> status = ui.Of(UiEvent::Status);
    ASSERT_GE(status.size(), parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(status[i].id, 153);
        EXPECT_EQ(status[i].arg1, names[i]);
    }
    EXPECT_EQ(ui.Of(UiEvent::ClearStatus).size(), parts.size());
    // Joined compressed pieces are expanded under the item's name.
    bool joined = c.compressed && parts.size() > 1;
    ASSERT_EQ(status.size(), parts.size() + (joined ? 1 : 0));
    if (joined) {
        EXPECT_EQ(status.back().id, 154);
        EXPECT_EQ(status.back().arg1, "Sans Item");
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, TransferShapes,
                         ::testing::Values(ShapeCase{"PlainOnePiece", "SANS.TTF", 0, {}},
                                           ShapeCase{"PlainTwoPieces", "SANS.TTF", 0, {123457}},
                                           ShapeCase{"PlainThreePiecesEmptyMiddle", "SANS.TTF", 0, {32767, 32767}},
                                           ShapeCase{"PlainThreePiecesAtChunkEdges", "SANS.TTF", 0, {32768, 98301}},
                                           ShapeCase{"CompressedOnePiece", "SANS.TT_", 1, {}},
                                           ShapeCase{"CompressedPieceNotCompressed", "SANS.TTF", 1, {}},
                                           ShapeCase{"CompressedTwoPieces", "SANS.TT_", 1, {100001}},
                                           ShapeCase{"CompressedThreePiecesCutInHeader", "SANS.TT_", 1, {7, 250003}},
                                           ShapeCase{"CompressedThreePiecesEmptyLast", "SANS.TT_", 1, {300001, 471674}},
                                           ShapeCase{"PlainJoinOfCompressedIsRaw", "SANS.TTF", 1, {1, 2}}),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.label); });

TEST_F(FileTransferTest, PlainGroupOfTwoFontsIsTheirJoin) {
    std::string sans = DataBytes("SANS.TTF"), serif = DataBytes("SERIF.TTF");
    FileGroup group = AddGroup({"JOINED.TTF", "SERIF.TTF"}, {&sans, &serif}, 0, media);
    ASSERT_EQ(Run(group), TransferDone);
    std::string written;
    ASSERT_TRUE(ReadBytes(destDir + "\\JOINED.TTF", &written));
    EXPECT_TRUE(written == sans + serif);
    EXPECT_FALSE(vexatest::FileExists(destDir + "\\SERIF.TTF"));
}

// --- the disk prompt --------------------------------------------------------

TEST_F(FileTransferTest, PiecesOnAnotherDiskAreFoundAfterOnePrompt) {
    std::vector<std::string> parts = Cut(DataBytes("SANS.TT_"), {150000, 300000});
    std::string disk2 = scratch.MakeDir("disk2");
    FileGroup group = AddGroup({"SANS.TTF", "PART2.DAT", "PART3.DAT"}, {&parts[0], nullptr, nullptr}, 1, media);
    WriteBytes(disk2 + "\\PART2.DAT", parts[1]);
    WriteBytes(disk2 + "\\PART3.DAT", parts[2]);
    ui.AnswerDiskWithDirectory(scratch / "nowhere");  // the prompt stays open
    ui.AnswerDiskWithDirectory(disk2);

    ASSERT_EQ(Run(group), TransferDone);

    EXPECT_TRUE(DestBytes() == DataBytes("SANS.TTF"));
    std::vector<UiEvent> prompts = ui.Of(UiEvent::DiskPrompt);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].arg1, "PART2.DAT");
    EXPECT_EQ(prompts[0].arg2, "Disk 2");
    EXPECT_EQ(ui.diskOpenFailures, 1);
    EXPECT_EQ(std::string(g_installSession.sourceDir), disk2);
    EXPECT_EQ(g_installSession.abortFlag, 0);
    EXPECT_EQ(ListDir(temp), std::vector<std::string>{});
}

TEST_F(FileTransferTest, CompressedPieceIsFoundUnderItsCompressedName) {
    std::string packed = DataBytes("SANS.TT_");
    std::string disk2 = scratch.MakeDir("disk2");
    FileGroup group = AddGroup({"SANS.TTF"}, {nullptr}, 1, media);
    WriteBytes(disk2 + "\\SANS.TT_", packed);
    ui.AnswerDiskWithDirectory(disk2);

    ASSERT_EQ(Run(group), TransferDone);
    EXPECT_TRUE(DestBytes() == DataBytes("SANS.TTF"));
    EXPECT_EQ(ui.Of(UiEvent::DiskPrompt).size(), 1u);
}

// --- failures: reported once, and nothing of the transfer remains ----------

enum class Damage { MissingThenCancel, MissingThenExit, BadAlgorithm, CutShort, ReadFails, WriteFails };

// The disk never fails under the test: these stand for a piece that cannot
// be read and a destination disk that is full.
UINT WINAPI FailingRead(HFILE, LPVOID, UINT) { return 0; }
UINT WINAPI FailingWrite(HFILE, LPCCH, UINT) { return HFILE_ERROR; }

struct FailureCase {
    const char* label;
    const char* data;
    int compressed;
    std::vector<size_t> cuts;
    int brokenPiece;  // which piece the damage applies to
    Damage damage;
    ExpansionReport report;
    std::vector<int> warnings;  // expected warning ids
    int abortFlag;
};
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.label; }

class TransferFailures : public FileTransferTest, public ::testing::WithParamInterface<FailureCase> {};

// Once into a new destination, which goes again, and once over a file that
// an earlier install left there, which stays exactly as it was.
TEST_P(TransferFailures, LeaveNothingNewAndTheOldDestinationAsItWas) {
    const FailureCase& c = GetParam();
    std::vector<std::string> parts = Cut(DataBytes(c.data), c.cuts);
    std::string& broken = parts[c.brokenPiece];
    if (c.damage == Damage::BadAlgorithm) broken[8] = 'B';  // compression type
    if (c.damage == Damage::CutShort) broken.resize(broken.size() - 1000);
    FileGroup group = AddCutGroup(parts, c.compressed);
    bool missing = c.damage == Damage::MissingThenCancel || c.damage == Damage::MissingThenExit;
    if (missing) DeleteFileA((media + "\\" + names[c.brokenPiece]).c_str());
    const std::string older = "an older file";
    for (const std::string* old : {static_cast<const std::string*>(nullptr), &older}) {
        SCOPED_TRACE(old ? "over an older file" : "new destination");
        ui.events.clear();
        g_installSession.abortFlag = 0;
        if (c.damage == Damage::MissingThenCancel) ui.AnswerDiskCancel();
        if (c.damage == Damage::MissingThenExit) ui.AnswerDiskExit();
        if (old) {
            CreateDirectoryA(destDir.c_str(), nullptr);
            ASSERT_TRUE(WriteBytes(DestFile(), *old));
        }
        vexatest::ImportHook read("KERNEL32.dll", "_lread",
                                  c.damage == Damage::ReadFails ? reinterpret_cast<void*>(FailingRead) : nullptr);
        vexatest::ImportHook write("KERNEL32.dll", "_lwrite",
                                   c.damage == Damage::WriteFails ? reinterpret_cast<void*>(FailingWrite) : nullptr);

        EXPECT_EQ(Run(group, {.singlePieceReport = c.report, .normalAttributes = 1}), TransferFailed);

        ExpectNothingLeft(old);
        EXPECT_EQ(ui.WarningIds(), c.warnings);
        EXPECT_EQ(g_installSession.abortFlag, c.abortFlag);
        EXPECT_EQ(ui.unansweredPrompts, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, TransferFailures,
    ::testing::Values(
        FailureCase{
            "PlainSecondMissingCancel", "SANS.TTF", 0, {4000}, 1, Damage::MissingThenCancel, ReportStandard, {}, 0},
        FailureCase{"CompressedThirdMissingCancel",
                    "SANS.TT_",
                    1,
                    {100, 200000},
                    2,
                    Damage::MissingThenCancel,
                    ReportStandard,
                    {},
                    0},
        FailureCase{
            "CompressedSecondMissingExit", "SANS.TT_", 1, {100000}, 1, Damage::MissingThenExit, ReportStandard, {}, 1},
        FailureCase{"SingleMissingExit", "SANS.TT_", 1, {}, 0, Damage::MissingThenExit, ReportStandard, {}, 1},
        FailureCase{"SingleBadAlgorithm", "SANS.TT_", 1, {}, 0, Damage::BadAlgorithm, ReportStandard, {92}, 0},
        FailureCase{"SingleBadAlgorithmReportNone", "SANS.TT_", 1, {}, 0, Damage::BadAlgorithm, ReportNone, {}, 0},
        FailureCase{"SingleCutShort", "SANS.TT_", 1, {}, 0, Damage::CutShort, ReportStandard, {97}, 0},
        FailureCase{"JoinedBadAlgorithm", "SANS.TT_", 1, {50000}, 0, Damage::BadAlgorithm, ReportNamedFiles, {92}, 0},
        FailureCase{"JoinedCutShort", "SANS.TT_", 1, {50000, 400000}, 2, Damage::CutShort, ReportStandard, {97}, 0},
        FailureCase{"PlainReadError", "SANS.TTF", 0, {}, 0, Damage::ReadFails, ReportStandard, {2}, 0},
        // A full temporary directory is named as such (13), a full destination as a write error (3).
        FailureCase{"JoinWriteError", "SANS.TT_", 1, {9000}, 0, Damage::WriteFails, ReportStandard, {13}, 0},
        FailureCase{"PlainWriteError", "SANS.TTF", 0, {9000}, 0, Damage::WriteFails, ReportStandard, {3}, 0}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.label); });

// The box names the file really read: the compressed name when the piece
// was found under it.
TEST_F(FileTransferTest, NamedFilesReportGivesSourceAndDestination) {
    std::string packed = DataBytes("SANS.TT_");
    packed[8] = 'Z';
    for (const char* stored : {"SANS.TTF", "SANS.TT_"}) {
        SCOPED_TRACE(stored);
        ui.events.clear();
        FileGroup group = AddGroup({"SANS.TTF"}, {nullptr}, 1, media);
        ASSERT_TRUE(WriteBytes(media + "\\" + stored, packed));
        ASSERT_EQ(Run(group, {.singlePieceReport = ReportNamedFiles}), TransferFailed);
        std::vector<UiEvent> boxes = ui.Of(UiEvent::Box);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].arg1, "Can't copy file [" + media + "\\" + stored + "] to [" + DestFile() + "]");
        EXPECT_EQ(boxes[0].owner, owner);
        EXPECT_TRUE(ui.WarningIds().empty());
        ExpectNothingLeft();
        DeleteFileA((media + "\\" + stored).c_str());
    }
}

TEST_F(FileTransferTest, NamedFilesBoxIsCutAt255Characters) {
    // Source and destination of about 200 characters each.
    std::string longMedia = media + "\\" + std::string(200 - media.size(), 'm');
    ASSERT_TRUE(CreateDirectoryA(longMedia.c_str(), nullptr));
    CopyText(g_installSession.sourceDir, kPathCapacity, longMedia.c_str());
    destDir = scratch / std::string(190 - scratch.path().size(), 'd');
    std::string packed = DataBytes("SANS.TT_");
    packed[8] = 'Z';
    FileGroup group = AddGroup({"SANS.TTF"}, {&packed}, 1, longMedia);
    ASSERT_EQ(Run(group, {.singlePieceReport = ReportNamedFiles}), TransferFailed);
    std::vector<UiEvent> boxes = ui.Of(UiEvent::Box);
    ASSERT_EQ(boxes.size(), 1u);
    std::string full = "Can't copy file [" + longMedia + "\\SANS.TTF] to [" + DestFile() + "]";
    ASSERT_GT(full.size(), 255u);
    EXPECT_EQ(boxes[0].arg1, full.substr(0, 255));
    ExpectNothingLeft();
}

TEST_F(FileTransferTest, DestinationThatIsItsOwnSourceIsNotEmptied) {
    // The script sends the file to the directory it is read from.
    std::string sans = DataBytes("SANS.TTF");
    std::vector<std::string> parts = Cut(sans, {1000});
    FileGroup group = AddCutGroup(parts, 0);
    destDir = media;
    ASSERT_EQ(Run(group), TransferNoDestination);
    std::string first;
    ASSERT_TRUE(ReadBytes(media + "\\SANS.TTF", &first));
    EXPECT_TRUE(first == parts[0]);
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(FileTransferTest, UncreatableDestinationIsReportedToTheCaller) {
    std::string sans = DataBytes("SANS.TTF");
    FileGroup group = AddCutGroup({sans}, 1);
    destDir = scratch / "no\\such\\dir";  // more than one level is missing
    ASSERT_EQ(Run(group), TransferNoDestination);
    EXPECT_EQ(std::string(destPath), destDir + "\\SANS.TTF");
    EXPECT_TRUE(ui.events.empty());
    EXPECT_EQ(ListDir(temp), std::vector<std::string>{});
}

TEST_F(FileTransferTest, DestinationPathThatDoesNotFitIsNotCut) {
    std::string sans = DataBytes("SANS.TTF");
    FileGroup group = AddCutGroup({sans}, 0);
    // The directory fits (and is made); with "\SANS.TTF" the path passes 259
    // characters, and a cut name such as "SANS.T" must not be created.
    destDir = scratch.path() + "\\" + std::string(252 - scratch.path().size(), 'x');
    ASSERT_EQ(Run(group), TransferNoDestination);
    EXPECT_TRUE(ListDir(destDir).empty());
    EXPECT_TRUE(ui.events.empty());
}

// Whatever names reach the transfer, the file is made inside the
// destination or not at all.
TEST_F(FileTransferTest, DestinationOutsideTheDirectoryIsNeverMade) {
    std::string sans = DataBytes("SANS.TTF");
    ASSERT_TRUE(WriteBytes(scratch / "OUT.TTF", "an author's file"));
    // The piece is read from media\OUT.TTF, and would be written to the
    // destination's parent.
    const std::string source = scratch.MakeDir("media\\sub");
    CopyText(g_installSession.sourceDir, kPathCapacity, source.c_str());
    FileGroup group = AddGroup({"..\\OUT.TTF"}, {&sans}, 0, source);
    EXPECT_EQ(Run(group), TransferNoDestination);
    EXPECT_EQ(vexatest::FileBytes(scratch / "OUT.TTF"), "an author's file");
    EXPECT_TRUE(ListDir(destDir).empty());
}

TEST_F(FileTransferTest, LongDestinationPathsWorkAndAreCleanedUp) {
    // Longer than an OFSTRUCT holds (127 characters), shorter than 260.
    destDir = scratch.path();
    while (destDir.size() < 180) destDir += "\\long-directory-name";
    std::string parent = destDir.substr(0, destDir.rfind('\\'));
    for (size_t at = scratch.path().size() + 1; at <= parent.size(); ++at)
        if (at == parent.size() || parent[at] == '\\') CreateDirectoryA(parent.substr(0, at).c_str(), nullptr);
    std::vector<std::string> parts = Cut(DataBytes("SANS.TT_"), {200000});
    FileGroup good = AddCutGroup(parts, 1);
    ASSERT_EQ(Run(good), TransferDone);
    EXPECT_EQ(std::string(destPath), DestFile());
    EXPECT_TRUE(DestBytes() == DataBytes("SANS.TTF"));

    // A second run without the second disk leaves the first one's file.
    DeleteFileA((media + "\\PART2.DAT").c_str());
    ui.AnswerDiskCancel();
    ASSERT_EQ(Run(good), TransferFailed);
    const std::string installed = DataBytes("SANS.TTF");
    ExpectNothingLeft(&installed);
}

TEST_F(FileTransferTest, TemporaryFileThatCannotBeMadeFailsCleanly) {
    std::vector<std::string> parts = Cut(DataBytes("SANS.TT_"), {1000});
    FileGroup group = AddCutGroup(parts, 1);
    std::string gone = scratch / "gone\\";
    SetEnvironmentVariableA("TMP", gone.c_str());
    SetEnvironmentVariableA("TEMP", gone.c_str());
    ASSERT_EQ(Run(group), TransferFailed);
    ASSERT_EQ(ui.WarningIds(), std::vector<int>{13});
    EXPECT_NE(ui.Of(UiEvent::Warning)[0].arg1.find("gone"), std::string::npos);
    EXPECT_TRUE(ui.Of(UiEvent::DiskPrompt).empty());
    ExpectNothingLeft();
}

// Big5 directories whose last character ends in the byte 0x5C, the
// backslash: the source directory and the destination are joined with
// their file names as directories, not run together with them.
TEST_F(FileTransferTest, Big5DirectoriesEndingInTheBackslashByte) {
    ASSERT_EQ(GetACP(), 950u);
    std::string sans = DataBytes("SANS.TTF");
    std::vector<std::string> parts = Cut(sans, {70000});
    for (const char* name : {"成功", "許", "蓋"}) {
        SCOPED_TRACE(name);
        std::string dir = Big5(name);
        ASSERT_EQ(dir.back(), '\\');
        std::string source = scratch.MakeDir("src" + dir);
        CopyText(g_installSession.sourceDir, kPathCapacity, source.c_str());
        destDir = scratch / ("dst" + dir);
        FileGroup group = AddGroup({"SANS.TTF", "PART2.DAT"}, {&parts[0], &parts[1]}, 0, source);

        ASSERT_EQ(Run(group), TransferDone);

        EXPECT_TRUE(ui.Of(UiEvent::DiskPrompt).empty());
        EXPECT_EQ(std::string(destPath), DestFile());
        EXPECT_TRUE(DestBytes() == sans);
        EXPECT_FALSE(vexatest::FileExists(scratch / ("dst" + dir + "SANS.TTF")));
    }
}

// A group outside the piece table is refused before anything is made.
TEST_F(FileTransferTest, GroupOutsideThePieceTableIsRefusedWithWarning11) {
    std::string sans = DataBytes("SANS.TTF");
    AddCutGroup({sans, sans}, 0);  // two pieces in the table
    const FileGroup groups[] = {{0, 0, 0}, {-1, 1, 0}, {2, 1, 0}, {1, 2, 0}, {0, 61, 1}};
    for (const FileGroup& group : groups) {
        SCOPED_TRACE(testing::Message() << group.firstPiece << "+" << group.pieceCount);
        ui.events.clear();
        EXPECT_EQ(Run(group), TransferFailed);
        EXPECT_EQ(ui.WarningIds(), std::vector<int>{11});
        EXPECT_EQ(ui.events.size(), 1u);
        EXPECT_FALSE(vexatest::FileExists(destDir));
        EXPECT_STREQ(destPath, "");
    }
}

// A destination held open by the system, as a font in use is (a handle that
// lets others only read it), cannot be replaced: that is reported before
// anything is copied, and the file stays as it is.
TEST_F(FileTransferTest, DestinationHeldOpenIsLeftAlone) {
    std::string sans = DataBytes("SANS.TTF");
    FileGroup group = AddCutGroup({sans}, 0);
    CreateDirectoryA(destDir.c_str(), nullptr);
    const std::string installed = "installed font";
    ASSERT_TRUE(WriteBytes(DestFile(), installed));
    HANDLE held = CreateFileA(DestFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    EXPECT_EQ(Run(group), TransferNoDestination);

    CloseHandle(held);
    EXPECT_EQ(std::string(destPath), DestFile());
    EXPECT_TRUE(ui.events.empty());
    ExpectNothingLeft(&installed);
}

// A replace that fails after the destination was looked at (another program
// took it meanwhile): "no destination", the older file and the piece as they were.
BOOL WINAPI FailingMove(LPCSTR, LPCSTR, DWORD) { return FALSE; }
TEST_F(FileTransferTest, ReplaceThatFailsLeavesTheOlderDestination) {
    const std::string sans = DataBytes("SANS.TTF"), installed = "installed font";
    FileGroup group = AddCutGroup({sans}, 0);
    CreateDirectoryA(destDir.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(DestFile(), installed));
    vexatest::ImportHook move("KERNEL32.dll", "MoveFileExA", reinterpret_cast<void*>(FailingMove));
    ASSERT_TRUE(move.installed());
    EXPECT_EQ(Run(group), TransferNoDestination);
    ExpectNothingLeft(&installed);
    std::string piece;
    EXPECT_TRUE(ReadBytes(media + "\\SANS.TTF", &piece) && piece == sans);
}

// The normal-attributes option clears what the new file got on its way (here
// from another program while the transfer waited for a disk); without it the
// file keeps them.
TEST_F(FileTransferTest, NormalAttributesOptionClearsHiddenAndSystem) {
    const DWORD marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::string probe = scratch / "probe";
    ASSERT_TRUE(WriteBytes(probe, ""));
    SetFileAttributesA(probe.c_str(), marks);
    if ((GetFileAttributesA(probe.c_str()) & marks) != marks) GTEST_SKIP() << "no DOS attributes on this file system";
    std::vector<std::string> parts = Cut(DataBytes("SANS.TTF"), {1000});
    std::string disk2 = scratch.MakeDir("disk2");
    ASSERT_TRUE(WriteBytes(disk2 + "\\PART2.DAT", parts[1]));
    ui.onDiskPrompt = [this, marks](const SourcePiece&) {
        for (const std::string& name : ListDir(destDir)) SetFileAttributesA((destDir + "\\" + name).c_str(), marks);
    };
    for (int normal : {1, 0}) {
        SCOPED_TRACE(normal);
        CopyText(g_installSession.sourceDir, kPathCapacity, media.c_str());
        FileGroup group = AddGroup({"SANS.TTF", "PART2.DAT"}, {&parts[0], nullptr}, 0, media);
        ui.AnswerDiskWithDirectory(disk2);
        ASSERT_EQ(Run(group, {.normalAttributes = normal}), TransferDone);
        DWORD attributes = GetFileAttributesA(DestFile().c_str());
        EXPECT_EQ(attributes & marks, normal ? 0u : marks);
        SetFileAttributesA(DestFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(DestFile().c_str());
    }
}

// --- trace lines --------------------------------------------------------------

struct TraceCase {
    const char* label;
    std::vector<size_t> cuts;
    bool missingLast;
    bool badHeader;
    TransferResult result;
    const char* expected;  // %D: the destination path, %T: the temporary file
};
void PrintTo(const TraceCase& c, std::ostream* out) { *out << c.label; }

class TransferTrace : public FileTransferTest, public ::testing::WithParamInterface<TraceCase> {};

TEST_P(TransferTrace, LinesAreExact) {
    const TraceCase& c = GetParam();
    std::string packed = DataBytes("SANS.TT_");
    if (c.badHeader) packed[8] = 'Q';
    std::vector<std::string> parts = Cut(packed, c.cuts);
    FileGroup group = AddCutGroup(parts, 1);
    if (c.missingLast) {
        DeleteFileA((media + "\\" + names.back()).c_str());
        ui.AnswerDiskCancel();
    }
    TransferResult result;
    std::string text;
    {
        vexatest::StdoutCapture capture;  // its file lies in the test's temporary directory while it lives
        result = Run(group, {.singlePieceReport = ReportStandard, .trace = 1});
        text = capture.Text();
    }
    EXPECT_EQ(result, c.result);

    std::string expected = c.expected;
    for (size_t at; (at = expected.find("%D")) != std::string::npos;) expected.replace(at, 2, DestFile());
    size_t tempAt = expected.find("%T");
    if (tempAt != std::string::npos) {
        // The temporary file's name is the platform's: check its place and prefix.
        size_t start = text.find("\tTemp File \"");
        ASSERT_NE(start, std::string::npos) << text;
        start += std::strlen("\tTemp File \"");
        size_t end = text.find('"', start);
        ASSERT_NE(end, std::string::npos);
        std::string tempFile = text.substr(start, end - start);
        EXPECT_EQ(tempFile.rfind(temp + "\\~tarsik-", 0), 0u) << tempFile;
        expected.replace(tempAt, 2, tempFile);
    }
    EXPECT_EQ(text, expected);
    EXPECT_EQ(ListDir(temp), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Trace, TransferTrace,
    ::testing::Values(
        TraceCase{"SinglePiece", {}, false, false, TransferDone, "Dest %D\n"},
        TraceCase{"SingleFails", {}, false, true, TransferFailed, "Dest %D\n\tFile deleted on error\n"},
        TraceCase{
            "Joined", {5000}, false, false, TransferDone, "Dest %D\n\tTemp File \"%T\" created\n\tTemp File deleted\n"},
        TraceCase{"JoinedPieceMissing",
                  {5000, 9000},
                  true,
                  false,
                  TransferFailed,
                  "Dest %D\n\tTemp File \"%T\" created\n\tTemp File deleted on error\n\tFile deleted on error\n"},
        TraceCase{"JoinedBadHeader",
                  {5000},
                  false,
                  true,
                  TransferFailed,
                  "Dest %D\n\tTemp File \"%T\" created\n\tTemp File deleted\n\tFile deleted on error\n"}),
    [](const ::testing::TestParamInfo<TraceCase>& info) { return std::string(info.param.label); });

TEST_F(FileTransferTest, NoTraceWithoutTheOption) {
    std::vector<std::string> parts = Cut(DataBytes("SANS.TT_"), {5000});
    FileGroup group = AddCutGroup(parts, 1);
    vexatest::StdoutCapture capture;
    ASSERT_EQ(Run(group), TransferDone);
    EXPECT_EQ(capture.Text(), "");
}

// What killed transfers left beside the destination and in the temporary
// directory goes at the next transfer there; files of a writer that still
// runs, of this process, and anyone else's stay.
TEST_F(FileTransferTest, StaleFilesOfOursGoOthersStay) {
    auto suspended = [](PROCESS_INFORMATION* process) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        char commandLine[] = "cmd.exe /c exit";
        return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                              &startup, process) != 0;
    };
    PROCESS_INFORMATION gone = {}, running = {};
    ASSERT_TRUE(suspended(&gone));
    TerminateProcess(gone.hProcess, 1);  // its id is not given out again while the handle is open
    WaitForSingleObject(gone.hProcess, 5000);
    ASSERT_TRUE(suspended(&running));
    vexatest::AtScopeExit end([&] {
        TerminateProcess(running.hProcess, 1);
        for (HANDLE h : {gone.hProcess, gone.hThread, running.hProcess, running.hThread}) CloseHandle(h);
    });
    auto name = [](DWORD process, int n) {
        char text[48];
        std::snprintf(text, sizeof text, "~tarsik-%lx-%d.tmp", static_cast<unsigned long>(process), n);
        return std::string(text);
    };
    const struct {
        std::string name;
        bool older;  // last written before the running process started: not its file
        bool stays;
    } files[] = {
        {name(gone.dwProcessId, 0), false, false},     {name(running.dwProcessId, 0), false, true},
        {name(running.dwProcessId, 1), true, false},   {name(GetCurrentProcessId(), 900), false, true},
        {"tmp1234.tmp", true, true},                   {"~tarsik-notes.tmp", true, true},
    };
    std::vector<std::string> parts = Cut(DataBytes("SANS.TT_"), {5000});
    FileGroup group = AddCutGroup(parts, 1);
    CreateDirectoryA(destDir.c_str(), nullptr);
    std::vector<std::string> keptDest = {"SANS.TTF"}, keptTemp;
    for (const std::string& dir : {destDir, temp}) {
        for (const auto& f : files) {
            const std::string path = dir + "\\" + f.name;
            ASSERT_TRUE(WriteBytes(path, "left behind"));
            if (f.older) {
                HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                FILETIME longAgo = {0, 0x01BF0000};  // the 1990s
                EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &longAgo));
                CloseHandle(file);
            }
            if (f.stays) (dir == temp ? keptTemp : keptDest).push_back(f.name);
        }
    }
    std::sort(keptDest.begin(), keptDest.end());
    std::sort(keptTemp.begin(), keptTemp.end());

    ASSERT_EQ(Run(group), TransferDone);

    EXPECT_EQ(ListDir(destDir), keptDest);
    EXPECT_EQ(ListDir(temp), keptTemp);
    EXPECT_TRUE(DestBytes() == DataBytes("SANS.TTF"));
}

// --- the plain block copy -------------------------------------------------

TEST_F(FileTransferTest, CopyFileBlocksCopiesFromTheOffsetToTheEnd) {
    std::string font = DataBytes("SERIF.TTF");
    struct {
        size_t size;
        LONG start;
    } cases[] = {{0, 0}, {1, 0}, {32767, 0}, {32768, 0}, {65535, 0}, {100000, 0}, {100000, 40000}, {100000, 100000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " from " << c.start);
        std::string bytes = font.substr(0, c.size);
        std::string from = scratch / "from.bin", to = scratch / "to.bin";
        ASSERT_TRUE(WriteBytes(from, bytes));
        HFILE source = _lopen(from.c_str(), OF_READ);
        HFILE target = _lcreat(to.c_str(), 0);
        ASSERT_NE(source, HFILE_ERROR);
        ASSERT_NE(target, HFILE_ERROR);
        _lwrite(target, "head", 4);  // the copy goes on at the target's position
        EXPECT_EQ(CopyFileBlocks(target, source, c.start), 0);
        _lclose(source);
        _lclose(target);
        std::string copied;
        ReadBytes(to, &copied);
        EXPECT_TRUE(copied == "head" + bytes.substr(c.start));
    }
    EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(FileTransferTest, CopyFileBlocksReportsReadAndWriteErrors) {
    std::string from = scratch / "from.bin", to = scratch / "to.bin";
    ASSERT_TRUE(WriteBytes(from, std::string(70000, 'a')));
    ASSERT_TRUE(WriteBytes(to, ""));
    // A target open only for reading cannot be written.
    HFILE source = _lopen(from.c_str(), OF_READ);
    HFILE readOnly = _lopen(to.c_str(), OF_READ);
    EXPECT_EQ(CopyFileBlocks(readOnly, source, 0), 3);
    _lclose(readOnly);
    _lclose(source);
    // A source open only for writing cannot be read.
    HFILE writeOnly = _lopen(from.c_str(), OF_WRITE);
    HFILE target = _lopen(to.c_str(), OF_WRITE);
    EXPECT_EQ(CopyFileBlocks(target, writeOnly, 0), 2);
    _lclose(writeOnly);
    _lclose(target);
    EXPECT_EQ(ui.busyDepth, 0);
}

}  // namespace
