// Generated discs through the checker and then through the built
// Tarsik.exe /S on the same files: a disc the checker calls clean installs
// whole, each font byte for byte the author's; a disc with a fault planted
// (one the checker once missed) is not clean, nor is its install whole.
// Seeded by VEXA_DIFFERENTIAL_SEED (29): three decks of each fault once and
// as many discs without one, the items and their order picked by the seed.
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

enum Fault {
    None,
    EudcFontMissing,
    TableKeyMissing,
    DestinationTooDeep,
    FontCut,
    ByteChanged,
    TagChanged,
    FontNameTwice,
    CountNotANumber,
    kFaults
};
const char* const kFaultNames[] = {"none",
                                   "EUDC font's font missing",
                                   "table key missing",
                                   "DstDir deep",
                                   "font cut",
                                   "compressed byte changed",
                                   "tag changed",
                                   "font name twice",
                                   "count not a number"};

// The sample disc's fonts: plain, compressed, compressed and cut in two.
const char* const kPieces[][2] = {{"HVMONO.TTF", nullptr}, {"HVMING.TT_", nullptr}, {"HVHEI.TT1", "DISK2\\HVHEI.TT2"}};
const char* const kOriginals[] = {"originals\\HVMONO.TTF", "originals\\HVMING.TTF", "originals\\HVHEI.TTF"};
const char* const kFontsKeys[] = {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                                  "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"};

// One generated disc; what its install put in the prefix goes with it.
class GeneratedDisc {
public:
    GeneratedDisc(Fault fault, std::mt19937& random) : fault_(fault) {
        static int serial = 0;
        tag_ = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        eudcFile_ = "VD" + tag_ + ".TTE";
        eudcPath_ = std::string(windows) + "\\" + eudcFile_;
        fonts_ = {0, 1, 2};
        std::shuffle(fonts_.begin(), fonts_.end(), random);
        fonts_.resize(std::uniform_int_distribution<size_t>(fault == FontNameTwice ? 2 : 1, 3)(random));
        int needed = fault == FontCut || fault == TagChanged ? 0 : fault == ByteChanged ? 1 : -1;
        if (needed >= 0 && std::find(fonts_.begin(), fonts_.end(), needed) == fonts_.end()) fonts_.back() = needed;
        eudc_ = fault == EudcFontMissing || random() % 2;
        table_ = fault == TableKeyMissing || fault == DestinationTooDeep || random() % 2;
    }
    ~GeneratedDisc() {
        for (size_t k = 0; k < fonts_.size(); ++k)
            for (const char* key : kFontsKeys) RegistryRedirect::DeleteValue(HKEY_LOCAL_MACHINE, key, FontName(k));
        RegistryRedirect::DeleteValue(HKEY_CURRENT_USER, "EUDC\\950", FontName(9));
        RegistryRedirect::DeleteKey(HKEY_LOCAL_MACHINE, TableKey());
        DeleteFileA(eudcPath_.c_str());
    }

    void LayOut() {
        const std::string sample = vexatest::DataFile("sample_disc") + "\\Fonts\\";
        CreateDirectoryA((dir_ / "DISK2").c_str(), nullptr);
        for (const auto& pieces : kPieces)
            for (const char* piece : pieces)
                if (piece) vexatest::WriteBytes(dir_ / piece, vexatest::FileBytes(sample + piece));
        vexatest::WriteBytes(dir_ / eudcFile_, vexatest::DataBytes(kOriginals[0]));
        vexatest::WriteBytes(dir_ / "PHON.TBL", "phonetic table");
        CopyFileW(vexatest::WinePath(TARSIK_EXE).c_str(), vexatest::Widen(dir_ / "Tarsik.exe", CP_ACP).c_str(), FALSE);

        std::string list, files;
        for (size_t k = 0; k < fonts_.size(); ++k) {
            std::string item = "\n字型" + std::to_string(k + 1);
            list += "\nFont" + std::to_string(k + 1) + "=" + item.substr(1);
            files += item + " FontName=" + FontName(fault_ == FontNameTwice && k == 1 ? 0 : k) + item +
                     " Compressed=" + std::to_string(fonts_[k] != 0) + item +
                     " Size=" + std::to_string((vexatest::DataBytes(kOriginals[fonts_[k]]).size() + 1023) / 1024) +
                     item + " Files=" + (kPieces[fonts_[k]][1] ? "2" : "1");
            for (int i = 0; i < 2 && kPieces[fonts_[k]][i]; ++i)
                files += item + " File" + std::to_string(i + 1) + "=" + kPieces[fonts_[k]][i] + item + " Disk" +
                         std::to_string(i + 1) + "=第" + std::to_string(i + 1) + "片";
        }
        std::string script = "[Fonts]\nFonts=" + std::string(fault_ == CountNotANumber ? "n" : "") +
                             std::to_string(fonts_.size()) + list + "\n[Font Files]" + files + "\n";
        if (eudc_)
            script += "[TTEs]\nFonts=1\nFont1=外字\n[TTE Files]\n外字 Files=1\n外字 File1=" + eudcFile_ +
                      "\n外字 Disk1=第1片\n外字 Size=400\n外字 AFiles=1\n" + "外字 AFontName1=" + FontName(9) +
                      "\n外字 FontName=" + FontName(fault_ == EudcFontMissing ? 8 : 0);
        if (table_)
            script +=
                "\n[Tbls]\nTbls=1\nTbl1=注音\n[Tbls Files]\n注音 Files=1\n注音 File1=PHON.TBL\n注音 Disk1=第1片\n"
                "注音 IME file=PHON.IME\n注音 DstDir=" +
                vexatest::ToUtf8(TableDir(), 950) + (fault_ == TableKeyMissing ? "" : "\n注音 UserKey=" + TableKey());
        ASSERT_TRUE(vexatest::WriteTextFile(dir_ / "VEXA95.INI", script + "\n", 950));

        std::string plain = vexatest::DataBytes(kOriginals[0]);
        if (fault_ == FontCut) vexatest::WriteBytes(dir_ / "HVMONO.TTF", plain.substr(0, plain.size() / 2));
        if (fault_ == TagChanged)
            vexatest::WriteBytes(dir_ / "HVMONO.TTF", plain.replace(plain.find("loca"), 4, "LOCA"));
        if (fault_ == ByteChanged) ASSERT_TRUE(vexatest::FlipLiteral(dir_ / "HVMING.TT_"));
    }

    // The checker's errors and warnings together, its lines in *lines.
    int Check(std::string* lines) const {
        vexacheck::DiscTree tree;
        std::string why;
        vexacheck::Report report;
        if (tree.Read(dir_.path().c_str(), &why)) vexacheck::CheckInstallScripts(tree, report);
        for (const std::string& line : report.Lines("the disc")) *lines += line + "\n";
        return report.errors() + report.warnings();
    }

    // Tarsik.exe /S over the same files, the fonts into a folder of their
    // own: what did not install whole, with the log; empty when all did.
    std::string Install() const {
        vexatest::ScratchDir out;
        std::string fonts = out.MakeDir("fonts"), log = out / "tarsik.log", missing;
        vexatest::ChildProcess installer;
        std::string command = "\"" + (dir_ / "Tarsik.exe") + "\" /S \"/D=" + fonts + "\" \"/LOG=" + log + "\"";
        if (!installer.Start(vexatest::Widen(command, CP_ACP), vexatest::Widen(out.path(), CP_ACP))) return "no start";
        std::optional<DWORD> code = installer.WaitForExit(60000);
        if (code != 0u) missing += "exit code " + std::to_string(code.value_or(-1)) + "\n";
        for (size_t k = 0; k < fonts_.size(); ++k) {
            std::string installed, path = fonts + "\\" + kPieces[fonts_[k]][0];
            if (!vexatest::ReadBytes(path, &installed) || installed != vexatest::DataBytes(kOriginals[fonts_[k]]))
                missing += path + ": not the author's font\n";
            for (const char* key : kFontsKeys)
                if (RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, key, FontName(k)) != path)
                    missing += FontName(k) + " not under " + key + "\n";
        }
        if (eudc_ && RegistryRedirect::ValueOrMissing(HKEY_CURRENT_USER, "EUDC\\950", FontName(9)) != eudcPath_)
            missing += "no EUDC link\n";
        if (table_ && RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, TableKey(), "IME file") != "PHON.IME")
            missing += "no table key\n";
        const std::string logged = vexatest::FileBytes(log);
        Remove(logged);
        return missing.empty() ? missing : missing + "the log:\n" + logged;
    }

    // Whatever the run left, the product's own remover takes away again:
    // the fonts' values are gone, and so is the product's entry.
    void Remove(const std::string& log) const {
        const std::string mark = "Apps & features entry ";
        const size_t at = log.find(mark);
        if (at == std::string::npos) return;  // the run changed nothing
        const std::string entry =
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + log.substr(at + mark.size(), 23);
        char command[2 * MAX_PATH] = "";
        DWORD size = sizeof command;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, entry.c_str(), "QuietUninstallString", RRF_RT_REG_SZ, nullptr, command,
                         &size) != ERROR_SUCCESS)
            return;  // nothing of it was left on the machine
        vexatest::ChildProcess remover;
        ASSERT_TRUE(remover.Start(vexatest::Widen(command, CP_ACP), vexatest::Widen(dir_.path(), CP_ACP)));
        EXPECT_EQ(remover.WaitForExit(60000), std::optional<DWORD>(0u)) << command;
        for (size_t k = 0; k < fonts_.size(); ++k)
            for (const char* key : kFontsKeys)
                EXPECT_EQ(RegistryRedirect::ValueOrMissing(HKEY_LOCAL_MACHINE, key, FontName(k)), "<missing>");
        HKEY left = nullptr;
        EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry.c_str(), 0, KEY_READ, &left), ERROR_SUCCESS) << entry;
        if (left) RegCloseKey(left);
    }

private:
    // Names of this disc's own: 9 is the EUDC link's, 8 a font nobody installs.
    std::string FontName(size_t k) const { return "Vexa Differential " + tag_ + " " + std::to_string(k + 1); }
    std::string TableKey() const { return "Software\\VexaTest\\Differential " + tag_; }
    std::string TableDir() const { return dir_ / (fault_ == DestinationTooDeep ? "deep\\er\\still" : "table"); }

    Fault fault_;
    std::string tag_, eudcFile_, eudcPath_;
    vexatest::ScratchDir dir_;
    std::vector<int> fonts_;
    bool eudc_, table_;
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
