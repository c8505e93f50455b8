// Generated discs through the checker and then through the built
// Tarsik.exe /S on the same files. Whenever the checker calls a disc clean,
// every item installs and every font is byte for byte the author's; a disc
// with a fault planted is never clean, and the install of one is indeed
// not whole. Seeded (VEXA_DIFFERENTIAL_SEED, default 29): three decks of
// discs, each with every fault once and as many discs without one, in an
// order and with items the seed picks.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "child_process.h"
#include "disc_tree.h"
#include "planted_faults.h"
#include "registry_redirect.h"
#include "report.h"
#include "scratch_dir.h"
#include "script_check.h"
#include "text_files.h"

using vexatest::RegistryRedirect;

namespace {

// The faults of the discs that the checker once called clean.
enum Fault {
    None,
    EudcFontNotInstalled,
    TableKeyMissing,
    DestinationTooDeep,
    FontCutInHalf,
    CompressedByteChanged,
    TableTagChanged,
    FontNameTwice,
    CountNotANumber,
    kFaults
};
const char* const kFaultNames[] = {"none",
                                   "an EUDC font whose font is not installed",
                                   "a table without a key",
                                   "a destination two folders deep",
                                   "a font cut in half",
                                   "a byte changed in a compressed font",
                                   "a table tag changed",
                                   "a font name twice",
                                   "a count that is not a number"};

// The sample disc's fonts: plain, compressed, compressed and cut in two.
struct Font {
    const char* pieces[2];
    const char* original;
};
const Font kFonts[] = {{{"HVMONO.TTF", nullptr}, "HVMONO.TTF"},
                       {{"HVMING.TT_", nullptr}, "HVMING.TTF"},
                       {{"HVHEI.TT1", "DISK2\\HVHEI.TT2"}, "HVHEI.TTF"}};
const char* const kFontsKeys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                                  "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"};

std::string Original(int font) {
    return vexatest::DataBytes((std::string("originals\\") + kFonts[font].original).c_str());
}

// One generated disc, and what its install put in the prefix taken out again.
class GeneratedDisc {
public:
    GeneratedDisc(Fault fault, std::mt19937& random)
        : fault_(fault),
          tag_(std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
               std::to_string(++serial_)) {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        eudcPath_ = std::string(windows) + "\\" + EudcName();
        std::vector<int> fonts = {0, 1, 2};
        std::shuffle(fonts.begin(), fonts.end(), random);
        fonts.resize(std::uniform_int_distribution<size_t>(fault == FontNameTwice ? 2 : 1, 3)(random));
        int needed = fault == FontCutInHalf || fault == TableTagChanged ? 0 : fault == CompressedByteChanged ? 1 : -1;
        if (needed >= 0 && std::find(fonts.begin(), fonts.end(), needed) == fonts.end()) fonts.back() = needed;
        fonts_ = fonts;
        eudc_ = fault == EudcFontNotInstalled || random() % 2;
        table_ = fault == TableKeyMissing || random() % 2;
        misc_ = fault == DestinationTooDeep || random() % 2;
    }
    ~GeneratedDisc() {
        for (size_t k = 0; k < fonts_.size(); ++k)
            for (const char* key : kFontsKeys) RegistryRedirect::DeleteValue(HKEY_LOCAL_MACHINE, key, FontName(k));
        RegistryRedirect::DeleteValue(HKEY_CURRENT_USER, "EUDC\\950", LinkName());
        RegistryRedirect::DeleteKey(HKEY_LOCAL_MACHINE, TableKey());
        DeleteFileA(eudcPath_.c_str());
    }

    void LayOut() {
        const std::string sample = vexatest::DataFile("sample_disc") + "\\Fonts";
        dir_.MakeDir("disc");
        CreateDirectoryA(Disc("DISK2").c_str(), nullptr);
        for (const Font& font : kFonts)
            for (const char* piece : font.pieces)
                if (piece) vexatest::WriteBytes(Disc(piece), vexatest::FileBytes(sample + "\\" + piece));
        vexatest::WriteBytes(Disc(EudcName()), Original(0));
        vexatest::WriteBytes(Disc("PHON.TBL"), "phonetic table");
        vexatest::WriteBytes(Disc("README.TXT"), "read me");
        CopyFileW(vexatest::WinePath(TARSIK_EXE).c_str(), vexatest::Widen(Disc("Tarsik.exe"), CP_ACP).c_str(), FALSE);

        std::string script = "[Fonts]\nFonts=" + std::string(fault_ == CountNotANumber ? "some" : "") +
                             std::to_string(fonts_.size()) + "\n";
        for (size_t k = 0; k < fonts_.size(); ++k) script += "Font" + std::to_string(k + 1) + "=字型" + Nth(k) + "\n";
        script += "[Font Files]\n";
        for (size_t k = 0; k < fonts_.size(); ++k) {
            const Font& font = kFonts[fonts_[k]];
            std::string item = "字型" + Nth(k);
            script += item + " Files=" + (font.pieces[1] ? "2" : "1") + "\n" + item +
                      " FontName=" + FontName(fault_ == FontNameTwice && k == 1 ? 0 : k) + "\n" + item +
                      " Compressed=" + (fonts_[k] == 0 ? "0" : "1") + "\n" + item +
                      " Size=" + std::to_string((Original(fonts_[k]).size() + 1023) / 1024) + "\n";
            for (int i = 0; i < 2 && font.pieces[i]; ++i)
                script += item + " File" + Nth(i) + "=" + font.pieces[i] + "\n" + item + " Disk" + Nth(i) + "=第" +
                          Nth(i) + "片\n";
        }
        if (eudc_)
            script += "[TTEs]\nFonts=1\nFont1=外字\n[TTE Files]\n外字 Files=1\n外字 File1=" + EudcName() +
                      "\n外字 Disk1=第1片\n外字 Size=400\n外字 AFiles=1\n外字 AFontName1=" + LinkName() +
                      "\n外字 FontName=" + (fault_ == EudcFontNotInstalled ? "Vexa Nowhere " + tag_ : FontName(0)) +
                      "\n";
        if (table_)
            script +=
                "[Tbls]\nTbls=1\nTbl1=注音\n[Tbls Files]\n注音 Files=1\n注音 File1=PHON.TBL\n注音 Disk1=第1片\n"
                "注音 IME file=PHON.IME\n注音 DstDir=" +
                vexatest::ToUtf8(dir_ / "table", 950) + "\n" +
                (fault_ == TableKeyMissing ? "" : "注音 UserKey=" + TableKey() + "\n");
        if (misc_)
            script +=
                "[Misc]\nItems=1\nItem1=說明\n[Misc Files]\n說明 Files=1\n說明 File1=README.TXT\n"
                "說明 Disk1=第1片\n說明 DstDir=" +
                vexatest::ToUtf8(MiscDir(), 950) + "\n";
        ASSERT_TRUE(vexatest::WriteTextFile(Disc("VEXA95.INI"), script, 950));

        std::string plain = Original(0);
        if (fault_ == FontCutInHalf) vexatest::WriteBytes(Disc("HVMONO.TTF"), plain.substr(0, plain.size() / 2));
        if (fault_ == TableTagChanged)
            vexatest::WriteBytes(Disc("HVMONO.TTF"), plain.replace(plain.find("loca"), 4, "LOCA"));
        if (fault_ == CompressedByteChanged) ASSERT_TRUE(vexatest::FlipLiteral(Disc("HVMING.TT_")));
    }

    // The checker's errors and warnings together; its lines in *lines.
    int Check(std::string* lines) {
        vexacheck::DiscTree tree;
        std::string why;
        if (!tree.Read(Disc("").c_str(), &why)) return -1;
        vexacheck::Report report;
        vexacheck::CheckInstallScripts(tree, report);
        for (const std::string& line : report.Lines("the disc")) *lines += line + "\n";
        return report.errors() + report.warnings();
    }

    // Tarsik.exe /S over the same files, the fonts into a folder of their
    // own: what did not install whole, with the log; empty when all did.
    std::string Install() {
        std::string fonts = dir_.MakeDir("fonts"), log = dir_ / "tarsik.log", missing;
        vexatest::ChildProcess installer;
        std::string command = "\"" + Disc("Tarsik.exe") + "\" /S \"/D=" + fonts + "\" \"/LOG=" + log + "\"";
        if (!installer.Start(vexatest::Widen(command, CP_ACP), vexatest::Widen(dir_.path(), CP_ACP))) return "no start";
        std::optional<DWORD> code = installer.WaitForExit(60000);
        if (code != 0u) missing += "exit code " + (code ? std::to_string(*code) : std::string("none")) + "\n";
        for (size_t k = 0; k < fonts_.size(); ++k) {
            std::string installed, path = fonts + "\\" + kFonts[fonts_[k]].pieces[0];
            if (!vexatest::ReadBytes(path, &installed) || installed != Original(fonts_[k]))
                missing += path + ": not the author's font\n";
            for (const char* key : kFontsKeys)
                if (RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, key, FontName(k)) != path)
                    missing += FontName(k) + " not under " + key + "\n";
        }
        if (eudc_ && RegistryRedirect::ValueOrMissing(HKEY_CURRENT_USER, "EUDC\\950", LinkName()) != eudcPath_)
            missing += "no EUDC link\n";
        if (table_ && RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, TableKey(), "IME file") != "PHON.IME")
            missing += "no table key\n";
        if (misc_ && !vexatest::FileExists(MiscDir() + "\\README.TXT")) missing += "no Misc file\n";
        std::string logged;
        vexatest::ReadBytes(log, &logged);
        return missing.empty() ? missing : missing + "the log:\n" + logged;
    }

private:
    static std::string Nth(size_t k) { return std::to_string(k + 1); }
    std::string Disc(const std::string& name) const { return dir_ / ("disc\\" + name); }
    std::string FontName(size_t k) const { return "Vexa Differential " + tag_ + " " + Nth(k); }
    std::string EudcName() const { return "VD" + tag_ + ".TTE"; }
    std::string LinkName() const { return "Vexa Differential Link " + tag_; }
    std::string TableKey() const { return "Software\\VexaTest\\Differential " + tag_; }
    std::string MiscDir() const { return dir_ / (fault_ == DestinationTooDeep ? "deep\\er\\still" : "misc"); }

    static inline int serial_ = 0;
    Fault fault_;
    std::string tag_, eudcPath_;
    vexatest::ScratchDir dir_;
    std::vector<int> fonts_;
    bool eudc_, table_, misc_;
};

TEST(DifferentialRun, WhatTheCheckerCallsCleanInstallsWhole) {
    const char* seedText = std::getenv("VEXA_DIFFERENTIAL_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 29;
    std::mt19937 random(seed);
    std::vector<Fault> deck;
    for (int round = 0; round < 3; ++round)
        for (int fault = None + 1; fault < kFaults; ++fault) deck.insert(deck.end(), {static_cast<Fault>(fault), None});
    std::shuffle(deck.begin(), deck.end(), random);
    for (size_t n = 0; n < deck.size(); ++n) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", disc " + std::to_string(n) + ": " + kFaultNames[deck[n]]);
        GeneratedDisc disc(deck[n], random);
        disc.LayOut();
        std::string report;
        int findings = disc.Check(&report);
        std::string missing = disc.Install();
        if (deck[n] == None) EXPECT_EQ(findings, 0) << "a wrong alarm:\n" << report;
        if (deck[n] != None) EXPECT_GT(findings, 0) << "a fault missed:\n" << report;
        if (findings == 0) EXPECT_EQ(missing, "") << "clean by the checker, yet not installed whole:\n" << report;
        if (deck[n] != None) EXPECT_NE(missing, "") << "the fault did no harm:\n" << report;
    }
}

}  // namespace
