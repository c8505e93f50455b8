// A seeded mutation fuzzer of the script loader and the file transfer, run
// in one process under Wine. VEXA_FUZZ_SEED, VEXA_FUZZ_SCRIPTS and
// VEXA_FUZZ_TRANSFERS choose the run (scripts/fuzz sets them). Every case is
// made from the seed and its own number alone: VEXA_FUZZ_ONLY=<number>
// replays one. A crash or a case that runs longer than 20 s ends the
// process with the case named on standard error.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ansi_text.h"
#include "file_transfer.h"
#include "install_script.h"
#include "install_session.h"
#include "program_path.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::Big5;
using vexatest::ScratchDir;
using vexatest::ScriptedUi;

namespace {

unsigned Setting(const char* name, unsigned fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

// --- the case in hand, for the crash and hang reports -------------------------

char g_case[200] = "";
std::atomic<DWORD> g_caseStart{0};  // tick count at its start; 0 between cases

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "CRASH (exception 0x%lx) in %s\n", info->ExceptionRecord->ExceptionCode, g_case);
    std::fflush(stderr);
    ExitProcess(4);
}

class Watchdog {
public:
    Watchdog() : thread_([this] { Watch(); }) { SetUnhandledExceptionFilter(ReportCrash); }
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }

private:
    void Watch() {
        while (!stop_) {
            Sleep(100);
            DWORD start = g_caseStart;
            // Signed: the start (made odd, so never 0) may lie a tick ahead.
            if (start && static_cast<LONG>(GetTickCount() - start) > 20000) {
                std::fprintf(stderr, "HANG (more than 20 s) in %s\n", g_case);
                std::fflush(stderr);
                ExitProcess(3);
            }
        }
    }
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class Random {
public:
    Random(unsigned seed, unsigned kind, unsigned number) {
        std::seed_seq sequence{seed, kind, number};
        engine_.seed(sequence);
    }
    int Below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T>
    const T& Pick(const std::vector<T>& from) {
        return from[Below(static_cast<int>(from.size()))];
    }
    std::string Bytes(int n) {
        std::string bytes(n, '\0');
        for (char& b : bytes) b = static_cast<char>(Below(256));
        return bytes;
    }

private:
    std::mt19937 engine_;
};

// Whether a text field ends inside its capacity, whole: terminated, and not
// in the first byte of a double-byte character.
bool WholeText(const char* text, int capacity) {
    int length = static_cast<int>(strnlen(text, capacity));
    if (length >= capacity) return false;
    for (int i = 0; i < length; ++i)
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && ++i >= length) return false;
    return true;
}

// --- scripts --------------------------------------------------------------------

// The script's four categories in reading order.
struct CategoryKeys {
    const char* list;
    const char* detail;
    const char* countKey;
    const char* namePrefix;
    int limit;
};
const CategoryKeys kCategories[] = {{"Misc", "Misc Files", "Items", "Item", 20},
                                    {"Fonts", "Font Files", "Fonts", "Font", 60},
                                    {"TTEs", "TTE Files", "Fonts", "Font", 60},
                                    {"Tbls", "Tbls Files", "Tbls", "Tbl", 20}};

struct Line {
    std::string key, value;  // Big5 bytes
};
struct Section {
    std::string name;
    std::vector<Line> lines;
};

// A valid script as sections of lines, with what it must load as.
struct ScriptCase {
    std::vector<Section> sections;
    int counts[4] = {};
    std::vector<std::string> fileNames;  // every piece in reading order
    std::vector<std::string> names[4];
};

const std::vector<std::string> kNames = {"Viewer",     "Kai Medium",         Big5("瑟維功夫楷"), Big5("許願表"),
                                         Big5("蓋章"), std::string(60, 'N'), Big5("工具 (新)")};

ScriptCase MakeScript(Random& r) {
    ScriptCase c;
    int pieces = 0, links = 0;
    for (int k = 0; k < 4; ++k) {
        Section list{kCategories[k].list, {}}, detail{kCategories[k].detail, {}};
        int count = r.Below(4);
        for (int n = 1; n <= count; ++n) {
            int files = r.Between(1, 3);
            if (pieces + files > 60) break;
            std::string name = std::to_string(n) + r.Pick(kNames);  // unique in its category
            c.names[k].push_back(name);
            c.counts[k] = n;
            list.lines.push_back({kCategories[k].namePrefix + std::to_string(n), name});
            detail.lines.push_back({name + " Files", std::to_string(files)});
            for (int i = 1; i <= files; ++i) {
                std::string file = "P" + std::to_string(pieces++) + (r.Chance(30) ? Big5("功.TT_") : ".BIN");
                c.fileNames.push_back(file);
                detail.lines.push_back({name + " File" + std::to_string(i), file});
                detail.lines.push_back({name + " Disk" + std::to_string(i), Big5("第") + std::to_string(i)});
            }
            detail.lines.push_back({name + " Compressed", std::to_string(r.Below(2))});
            if (k == 1 || k == 2) {
                detail.lines.push_back({name + " Size", std::to_string(r.Below(5000))});
                detail.lines.push_back({name + " FontName", name + " (TrueType)"});
            }
            if (k == 2) {
                int count = r.Between(1, 3);
                if (links + count > 60) count = 1;
                detail.lines.push_back({name + " AFiles", std::to_string(count)});
                for (int i = 1; i <= count; ++i, ++links)
                    detail.lines.push_back({name + " AFontName" + std::to_string(i), "Face " + std::to_string(i)});
            }
            if (k == 0 || k == 3) {
                detail.lines.push_back({name + " DstDir", r.Pick<std::string>({"SYSTEM", Big5("工具許"), "D:\\APPS"})});
                detail.lines.push_back({name + " AddWindowsDir", std::to_string(r.Below(3))});
            }
            if (k == 0) detail.lines.push_back({name + " Group", Big5("字型 (Halvex)")});
            if (k == 3) detail.lines.push_back({name + " UserKey", "Software\\Vexa\\" + name});
        }
        list.lines.insert(list.lines.begin(), {kCategories[k].countKey, std::to_string(c.counts[k])});
        c.sections.push_back(list);
        c.sections.push_back(detail);
    }
    return c;
}

std::string Serialise(const std::vector<Section>& sections) {
    std::string text;
    for (const Section& s : sections) {
        text += "[" + s.name + "]\r\n";
        for (const Line& l : s.lines) text += l.key + "=" + l.value + "\r\n";
    }
    return text;
}

// A line of the script whose key ends with one of the suffixes ("" for
// any line), or nullptr.
Line* FindLine(ScriptCase& c, Random& r, const std::vector<std::string>& suffixes) {
    std::vector<Line*> found;
    for (Section& s : c.sections)
        for (Line& l : s.lines)
            for (const std::string& suffix : suffixes)
                if (l.key.size() >= suffix.size() &&
                    l.key.compare(l.key.size() - suffix.size(), suffix.size(), suffix) == 0)
                    found.push_back(&l);
    return found.empty() ? nullptr : found[r.Below(static_cast<int>(found.size()))];
}

enum Expect { Loads, Refused, Either };

// Applies one mutation to the script and writes it as text; returns what
// the load must give.
Expect Mutate(ScriptCase& c, Random& r, std::string* text, std::string* what) {
    static const std::vector<std::string> kNumbers = {"Items", "Fonts", "Tbls", " Files", " AFiles", " Size"};
    static const std::vector<std::string> kRequired = {" Files",    " File1",  " Disk1",
                                                       " FontName", " AFiles", " AFontName1"};
    const int kind = r.Below(12);
    Line* line = nullptr;
    Expect expect = Either;
    switch (kind) {
    case 0:
        *what = "none";
        break;
    case 1: {
        int k = r.Below(4);
        *what = "count over the limit";
        line = &c.sections[2 * k].lines[0];
        line->value = std::to_string(kCategories[k].limit + r.Between(1, 1000));
        break;
    }
    case 2:
        *what = "negative number";
        if ((line = FindLine(c, r, kNumbers))) line->value = r.Pick<std::string>({"-1", "-2147483648", "-7"});
        break;
    case 3:
    case 4:
        *what = "required value empty or missing";
        if ((line = FindLine(c, r, kRequired))) {
            if (r.Chance(50))
                line->value.clear();
            else
                line->key += "X";
        }
        break;
    case 5:
        *what = "more than 60 pieces";
        if ((line = FindLine(c, r, {" Files"}))) line->value = std::to_string(61 + r.Below(100));
        break;
    case 6:
        *what = "huge number";
        if ((line = FindLine(c, r, kNumbers)))
            line->value = r.Pick<std::string>({"99999999999", "4294967297", "2147483648", "-99999999999"});
        break;
    case 7:
        *what = "long value";
        if ((line = FindLine(c, r, {""}))) line->value = std::string(r.Between(72, 3000), 'L');
        break;
    case 8:  // a Big5 character across the end of a field's buffer
        *what = "lead byte at a buffer's end";
        if ((line = FindLine(c, r, {""})))
            line->value =
                std::string(r.Pick<int>({kNameCapacity, kPathCapacity, kDiskLabelCapacity}) - 2, 'B') + Big5("功許");
        break;
    case 9:
        *what = "binary garbage";  // over or into the text, below
        break;
    case 10: {
        int index = r.Below(static_cast<int>(c.sections.size()));
        *what = index % 2 == 0 ? "list section missing" : "detail section missing";
        // Without its list a category has no items; without its details an
        // item has no pieces.
        expect = index % 2 == 0 || c.counts[index / 2] == 0 ? Loads : Refused;
        c.sections.erase(c.sections.begin() + index);
        break;
    }
    default: {
        *what = "lines dropped or doubled";
        Section& s = c.sections[r.Below(static_cast<int>(c.sections.size()))];
        for (int n = r.Between(1, 3); n > 0 && !s.lines.empty(); --n) {
            size_t at = r.Below(static_cast<int>(s.lines.size()));
            if (r.Chance(50))
                s.lines.erase(s.lines.begin() + at);
            else
                s.lines.push_back(s.lines[at]);
        }
    }
    }
    // A broken rule is refused; a mutation that found nothing to change
    // leaves a valid script.
    if (kind <= 5) expect = kind == 0 || !line ? Loads : Refused;
    *text = Serialise(c.sections);
    for (int n = kind == 9 ? r.Between(1, 20) : 0; n > 0 && !text->empty(); --n) {
        size_t at = r.Below(static_cast<int>(text->size()));
        if (r.Chance(50))
            (*text)[at] = static_cast<char>(r.Below(256));
        else
            text->insert(at, r.Bytes(r.Between(1, 8)));
    }
    return expect;
}

// What every loaded script holds, whatever its text was.
void CheckInvariants(const InstallScript& s) {
    const InstallItem* lists[] = {s.miscItems, s.fontItems, s.eudcItems, s.tableItems};
    const int counts[] = {s.miscItemCount, s.fontItemCount, s.eudcItemCount, s.tableItemCount};
    ASSERT_LE(s.piecesUsed, kMaxPieces);
    ASSERT_LE(s.linkNamesUsed, kMaxLinkNames);
    int nextPiece = 0, nextLink = 0;
    for (int k = 0; k < 4; ++k) {
        ASSERT_GE(counts[k], 0);
        ASSERT_LE(counts[k], kCategories[k].limit);
        for (int i = 0; i < counts[k]; ++i) {
            const InstallItem& item = lists[k][i];
            EXPECT_TRUE(WholeText(item.name, kNameCapacity) && item.name[0]);
            EXPECT_EQ(item.files.firstPiece, nextPiece);
            EXPECT_GE(item.files.pieceCount, 1);
            nextPiece += item.files.pieceCount;
            if (k == 1 || k == 2) {
                EXPECT_GE(item.size, 0);
                EXPECT_TRUE(WholeText(item.fontName, kNameCapacity) && item.fontName[0]);
            }
            if (k == 2) {
                EXPECT_EQ(item.firstLinkName, nextLink);
                EXPECT_GE(item.linkNameCount, 1);
                nextLink += item.linkNameCount;
            }
            for (const char* text : {item.group, item.userKey, item.layoutText, item.layoutFile, item.imeFile})
                EXPECT_TRUE(WholeText(text, kNameCapacity));
            EXPECT_TRUE(WholeText(item.destDir, kPathCapacity));
        }
    }
    EXPECT_EQ(s.piecesUsed, nextPiece);
    EXPECT_EQ(s.linkNamesUsed, nextLink);
    for (int i = 0; i < s.piecesUsed; ++i) {
        EXPECT_TRUE(WholeText(s.pieces[i].fileName, kPathCapacity) && s.pieces[i].fileName[0]);
        EXPECT_TRUE(WholeText(s.pieces[i].diskLabel, kDiskLabelCapacity) && s.pieces[i].diskLabel[0]);
    }
    for (int i = 0; i < s.linkNamesUsed; ++i)
        EXPECT_TRUE(WholeText(s.linkNames[i], kPathCapacity) && s.linkNames[i][0]);
}

TEST(EngineFuzz, ScriptLoader) {
    const unsigned seed = Setting("VEXA_FUZZ_SEED", 1), cases = Setting("VEXA_FUZZ_SCRIPTS", 300);
    const unsigned only = Setting("VEXA_FUZZ_ONLY", 0);
    ScratchDir dir;
    vexatest::UseProgramPath(dir / "Tarsik.exe");
    Watchdog watchdog;
    int loaded = 0, refused = 0, exact = 0;
    for (unsigned number = 1; number <= cases; ++number) {
        if (only && number != only) continue;
        Random r(seed, 1, number);
        ScriptCase c = MakeScript(r);
        std::string text, what;
        Expect expect = Mutate(c, r, &text, &what);
        std::snprintf(g_case, sizeof g_case, "script case %u (seed %u): %s", number, seed, what.c_str());
        SCOPED_TRACE(g_case);
        ASSERT_TRUE(vexatest::WriteBytes(dir / "VEXA95.INI", text));
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, (dir / "VEXA95.INI").c_str());  // no cached copy
        std::string trace;
        g_caseStart = GetTickCount() | 1;
        int result;
        {
            vexatest::StdoutCapture capture;
            result = LoadInstallScript();
            trace = capture.Text();
        }
        g_caseStart = 0;
        const InstallScript& s = g_installScript;
        if (result == kScriptLoaded) {
            ++loaded;
            EXPECT_NE(expect, Refused) << "loaded";
            EXPECT_EQ(trace, "");
            CheckInvariants(s);
        } else {
            ++refused;
            EXPECT_EQ(result, IDS_SCRIPT_INVALID);
            EXPECT_NE(expect, Loads) << trace;
            EXPECT_EQ(trace.rfind("VEXA95.INI: [", 0), 0u) << trace;
            EXPECT_EQ(trace.find('\n'), trace.size() - 1) << "one line: " << trace;
        }
        if (what == "none" && result == kScriptLoaded) {  // the model itself
            const int counts[] = {s.miscItemCount, s.fontItemCount, s.eudcItemCount, s.tableItemCount};
            const InstallItem* lists[] = {s.miscItems, s.fontItems, s.eudcItems, s.tableItems};
            bool same = s.piecesUsed == static_cast<int>(c.fileNames.size());
            for (int k = 0; k < 4; ++k) {
                same = same && counts[k] == c.counts[k];
                for (int i = 0; same && i < counts[k]; ++i) same = lists[k][i].name == c.names[k][i];
            }
            for (int i = 0; same && i < s.piecesUsed; ++i) same = s.pieces[i].fileName == c.fileNames[i];
            EXPECT_TRUE(same) << "the script did not load as written";
            exact += same;
        }
    }
    vexatest::UseProgramPath("");
    std::printf("fuzz seed %u: %u script cases: %d loaded (%d unmutated, as written), %d refused with 11\n", seed,
                cases, loaded, exact, refused);
}

// --- transfers --------------------------------------------------------------------

struct Sample {
    std::string plain, packed;  // packed: made by mscompress
};

enum class Damage { None, Truncate, FlipHeader, FlipBody, WrongLength, Extend, Missing };
const char* kDamageNames[] = {"none",         "truncated", "header byte flipped", "body byte flipped",
                              "wrong length", "extended",  "piece missing"};

class TransferFuzz {
public:
    TransferFuzz() {
        for (auto [plain, packed] : {std::pair{"SERIF.BIN", "SERIF.BIN_"}, std::pair{"TEXT.TXT", "TEXT.TXT_"},
                                     std::pair{"SANS.TTF", "SANS.TT_"}})
            samples_.push_back({vexatest::DataBytes(plain), vexatest::DataBytes(packed)});
        temp_ = scratch_.MakeDir("temp");
        for (const char* name : {"TMP", "TEMP"}) SetEnvironmentVariableA(name, (temp_ + "\\").c_str());
    }

    // One case; counts its outcome.
    void Run(unsigned seed, unsigned number);

    int done = 0, exact = 0, failed = 0;

private:
    std::vector<std::string> List(const std::string& dir) const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, ".."))
                names.push_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }

    ScratchDir scratch_;
    std::string temp_;
    std::vector<Sample> samples_;
};

void TransferFuzz::Run(unsigned seed, unsigned number) {
    Random r(seed, 2, number);
    const Sample& sample = samples_[r.Chance(10) ? 2 : r.Below(2)];
    const int compressed = r.Chance(70) ? 1 : 0;
    std::string data = compressed ? sample.packed : (r.Chance(20) ? r.Bytes(r.Below(3000)) : sample.plain);
    Damage damage = static_cast<Damage>(r.Chance(35) ? 0 : r.Between(1, 6));
    if (!compressed && (damage == Damage::FlipHeader || damage == Damage::WrongLength)) damage = Damage::FlipBody;
    if (damage == Damage::Truncate && !data.empty()) data.resize(r.Below(static_cast<int>(data.size())));
    if (damage == Damage::FlipHeader) data[r.Below(14)] ^= static_cast<char>(r.Between(1, 255));
    if (damage == Damage::FlipBody && data.size() > 14)
        data[r.Between(14, static_cast<int>(data.size()) - 1)] ^= static_cast<char>(r.Between(1, 255));
    if (damage == Damage::WrongLength) data[r.Between(10, 13)] ^= static_cast<char>(r.Between(1, 255));
    if (damage == Damage::Extend) data += r.Bytes(r.Between(1, 2000));

    // The pieces: the data cut at random places (equal places give empty pieces).
    const int count = r.Between(1, 4);
    std::vector<size_t> cuts;
    for (int i = 1; i < count; ++i) cuts.push_back(r.Below(static_cast<int>(data.size()) + 1));
    std::sort(cuts.begin(), cuts.end());
    cuts.push_back(data.size());
    const std::string media = scratch_.MakeDir("media"), disk2 = scratch_.MakeDir("disk2");
    const std::string destDir = scratch_ / "dest";
    std::memset(&g_installScript, 0, sizeof g_installScript);
    std::memset(&g_installSession, 0, sizeof g_installSession);
    CopyText(g_installSession.sourceDir, kPathCapacity, media.c_str());
    const int missing = damage == Damage::Missing ? r.Below(count) : -1;
    const int answer = r.Below(4);  // for the missing piece: cancel, exit, the other disk, a wrong one then cancel
    const bool underCompressedName = compressed && count == 1 && missing < 0 && r.Chance(15);
    size_t from = 0;
    for (int i = 0; i < count; ++i) {
        SourcePiece& piece = g_installScript.pieces[g_installScript.piecesUsed++];
        std::snprintf(piece.fileName, sizeof piece.fileName, i == 0 ? "FONT%d.TTF" : "PART%d.BIN", i);
        std::snprintf(piece.diskLabel, sizeof piece.diskLabel, "Disk %d", i + 1);
        std::string stored = underCompressedName ? "FONT0.TT_" : piece.fileName;
        bool onDisk2 = missing >= 0 && i >= missing;
        if (!(onDisk2 && answer != 2))
            vexatest::WriteBytes((onDisk2 ? disk2 : media) + "\\" + stored, data.substr(from, cuts[i] - from));
        from = cuts[i];
    }
    const std::string dest = destDir + "\\FONT0.TTF";
    const bool hadOld = r.Chance(50);
    const std::string old = r.Chance(50) ? sample.plain : r.Bytes(r.Below(5000));
    if (hadOld) {
        CreateDirectoryA(destDir.c_str(), nullptr);
        vexatest::WriteBytes(dest, old);
    }

    ScriptedUi ui;
    if (missing >= 0) {
        if (answer == 0) ui.AnswerDiskCancel();
        if (answer == 1) ui.AnswerDiskExit();
        if (answer == 2) ui.AnswerDiskWithDirectory(disk2);
        if (answer == 3) {
            ui.AnswerDiskWithDirectory(scratch_ / "nowhere");
            ui.AnswerDiskCancel();
        }
    }
    TransferOptions options;
    options.itemName = "Fuzz";
    options.singlePieceReport = static_cast<ExpansionReport>(r.Below(3));
    options.normalAttributes = r.Below(2);
    const FileGroup group{0, count, compressed};
    std::snprintf(g_case, sizeof g_case, "transfer case %u (seed %u): %s, %d piece(s), %s%s", number, seed,
                  kDamageNames[static_cast<int>(damage)], count, compressed ? "compressed" : "plain",
                  hadOld ? ", over an older file" : "");
    SCOPED_TRACE(g_case);
    char destPath[kPathCapacity];
    g_caseStart = GetTickCount() | 1;
    TransferResult result = TransferFileGroup(nullptr, group, destDir.c_str(), options, destPath);
    g_caseStart = 0;

    // What the group must give: a plain group, or a stream that is not in
    // the LZ format (no whole header, other magic), is the joined bytes as
    // they are; an LZ stream of a known method expands to its header's
    // length or fails; a piece the user gave up on fails.
    const bool reachable = missing < 0 || answer == 2;
    const bool lz = compressed && data.size() >= 14 && data.compare(0, 8, "SZDD\x88\xF0\x27\x33", 8) == 0;
    uint32_t length = 0;
    if (lz) std::memcpy(&length, data.data() + 10, 4);
    const bool mustSucceed = reachable && (!lz || damage == Damage::None);
    const bool mustFail = !reachable || (lz && data[8] != 'A');
    std::string written;
    if (result == TransferDone) {
        ++done;
        EXPECT_FALSE(mustFail) << "succeeded";
        EXPECT_EQ(std::string(destPath), dest);
        ASSERT_TRUE(vexatest::ReadBytes(dest, &written));
        // The content is known for all but a damaged LZ stream, whose
        // expansion need only have the length its header gives.
        const std::string* expected =
            !lz ? &data : (damage == Damage::None || damage == Damage::Truncate ? &sample.plain : nullptr);
        if (expected) {
            EXPECT_TRUE(written == *expected) << "not the expected content";
            exact += written == *expected;
        } else {
            EXPECT_EQ(written.size(), length) << "not the length the header gives";
        }
        EXPECT_EQ(List(destDir), std::vector<std::string>{"FONT0.TTF"});
    } else {
        ++failed;
        EXPECT_EQ(result, TransferFailed);
        EXPECT_FALSE(mustSucceed) << "failed";
        EXPECT_STREQ(destPath, "");
        if (hadOld) {
            EXPECT_EQ(List(destDir), std::vector<std::string>{"FONT0.TTF"});
            EXPECT_TRUE(vexatest::ReadBytes(dest, &written) && written == old) << "the older file changed";
        } else {
            EXPECT_EQ(List(destDir), std::vector<std::string>{});
        }
        EXPECT_LE(ui.WarningIds().size() + ui.Of(vexatest::UiEvent::Box).size(), 1u);
        EXPECT_EQ(g_installSession.abortFlag, missing >= 0 && answer == 1 ? 1 : 0);
    }
    EXPECT_EQ(List(temp_), std::vector<std::string>{}) << "temporary file left";
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_EQ(ui.unansweredPrompts, 0);
    for (const std::string& d : {media, disk2, destDir}) vexatest::RemoveTree(d);
}

TEST(EngineFuzz, Transfer) {
    const unsigned seed = Setting("VEXA_FUZZ_SEED", 1), cases = Setting("VEXA_FUZZ_TRANSFERS", 100);
    const unsigned only = Setting("VEXA_FUZZ_ONLY", 0);
    TransferFuzz fuzz;
    Watchdog watchdog;
    for (unsigned number = 1; number <= cases; ++number)
        if (!only || number == only) fuzz.Run(seed, number);
    std::printf("fuzz seed %u: %u transfer cases: %d done (%d checked byte for byte), %d failed\n", seed, cases,
                fuzz.done, fuzz.exact, fuzz.failed);
}

}  // namespace
