#include "unattended_install.h"

#include <cstring>
#include <cwchar>

#include "ansi_text.h"
#include "font_registry.h"
#include "install_driver.h"
#include "install_record.h"
#include "install_script.h"
#include "install_session.h"
#include "installer_log.h"
#include "installer_main.h"
#include "messages.h"
#include "path_checks.h"
#include "removal.h"
#include "removal_windows.h"
#include "temp_files.h"
#include "user_interface.h"

namespace tarsik {

namespace {

const char kScriptName[] = "VEXA95.INI";
constexpr DWORD kWaitForOtherInstaller = 60 * 1000;  // milliseconds

// What became of one item of the run.
enum Outcome { NotTried, Installed, AlreadyInstalled, NotInstalled };

int ItemCount(ItemCategory id) {
    const InstallScript& s = g_installScript;
    switch (id) {
    case CategoryMisc:
        return s.miscItemCount;
    case CategoryTable:
        return s.tableItemCount;
    case CategoryFont:
        return s.fontItemCount;
    default:
        return s.eudcItemCount;
    }
}

const InstallItem& Item(ItemCategory id, int index) {
    const InstallScript& s = g_installScript;
    switch (id) {
    case CategoryMisc:
        return s.miscItems[index];
    case CategoryTable:
        return s.tableItems[index];
    case CategoryFont:
        return s.fontItems[index];
    default:
        return s.eudcItems[index];
    }
}

const wchar_t* CategoryName(ItemCategory id) {
    static const wchar_t* const kNames[] = {L"Misc", L"Tbls", L"Fonts", L"TTEs"};
    return kNames[id];
}

constexpr ItemCategory kRunOrder[] = {CategoryMisc, CategoryTable, CategoryFont, CategoryEudc};

void LogItem(ItemCategory id, int index, const wchar_t* what) {
    wchar_t name[kNameCapacity];
    LogFormat(L"%ls item %d %ls: %ls", CategoryName(id), index + 1,
              Widen(name, kNameCapacity, Item(id, index).name, kInstallerCodePage), what);
}

void LogWarningText(int messageId, const char* arg1, const char* arg2) {
    wchar_t text[kTextCapacity];
    FormatMessageText(text, kTextCapacity, messageId, arg1, arg2);
    LogMessage(messageId, text);
}

// The destination dialog's checks, answered as its buttons' defaults answer
// them: the path made absolute, a trailing backslash taken off; a directory
// that does not exist is created (one level), as OK to message 159 does.
// 0 when the directory cannot be had (warning 26, logged).
int SettleDestination(char* dir) {
    int whole = MakeFullPath(dir);
    StripTrailingBackslash(dir);
    if (IsValidDirectory(dir)) return 1;
    LogWarningText(IDS_CREATE_DIRECTORY, nullptr, nullptr);
    if (whole && RecordDirectory(nullptr, dir) && CreateDirectoryA(dir, nullptr) && IsValidDirectory(dir)) {
        wchar_t wide[kPathCapacity];
        LogFormat(L"created %ls", Widen(wide, kPathCapacity, dir, CP_ACP));
        return 1;
    }
    ShowWarning(nullptr, IDS_INVALID_DIRECTORY);
    return 0;
}

// Whether every file the run makes under dir (the build file of ours
// beside each font, each font's own name) fits 259 bytes: a /D that leaves
// no room is refused before anything is made there.
bool RoomForFilesUnder(const char* dir) {
    char full[kPathCapacity];
    CopyText(full, sizeof full, dir);
    if (!MakeFullPath(full)) return false;
    StripTrailingBackslash(full);
    size_t longest = kOwnTempNameLength;
    const InstallScript& s = g_installScript;
    for (int i = 0; i < s.fontItemCount; ++i) {
        size_t name = std::strlen(s.pieces[s.fontItems[i].files.firstPiece].fileName);
        if (name > longest) longest = name;
    }
    return std::strlen(full) + 1 + longest < static_cast<size_t>(kPathCapacity);
}

// The engine's user interface without a user: every text goes to the log,
// every prompt takes the answer its defaults give, and each item's outcome
// is kept for the exit code.
class UnattendedUi final : public InstallerUi {
public:
    explicit UnattendedUi(const char* fontsDestination) : fontsDestination_(fontsDestination) {
        for (auto& list : outcomes_)
            for (Outcome& outcome : list) outcome = NotTried;
    }

    void ShowWarning(HWND, int messageId, const char* arg1, const char* arg2) override {
        LogWarningText(messageId, arg1, arg2);
    }
    void ShowBox(HWND, const wchar_t* text) override { LogLine(text); }
    void ShowSpaceBox(HWND, const char* text) override {
        LogBytes(text, kInstallerCodePage);
        Stopped(L"not enough free disk space");
    }
    void SetStatus(int messageId, const char* argument) override { LogWarningText(messageId, argument, nullptr); }
    int Confirm(HWND, const wchar_t*) override { return 1; }
    void Report(const wchar_t* line) override { LogLine(line); }
    void ClearStatus() override {}
    void SetBusyCursor(int) override {}

    // The fonts go where /D says, everything else where the run offers.
    int AskDestination(HWND, const char*) override {
        char* dir = g_installSession.chosenDir;
        const bool fonts = lstrcmpiA(dir, g_installScript.fontsDir) == 0;
        if (fonts && fontsDestination_[0] != '\0') {
            CopyText(dir, kPathCapacity, fontsDestination_);
        } else if (!SettleDestination(dir)) {
            Stopped(L"the destination directory cannot be used");
            return 0;
        }
        wchar_t wide[kPathCapacity];
        LogFormat(L"%ls go to %ls", fonts ? L"Fonts items" : L"TTEs items", Widen(wide, kPathCapacity, dir, CP_ACP));
        return 1;
    }

    // A missing piece fails its item, and the run stops as Exit stops it.
    HFILE DiskPrompt(HWND, const SourcePiece& piece, OpenMode) override {
        LogWarningText(IDS_INSERT_DISK, piece.diskLabel, piece.fileName);
        wchar_t file[kPathCapacity], disk[kDiskLabelCapacity], dir[kPathCapacity];
        LogFormat(L"missing piece %ls of disk %ls, not in %ls: its item is not installed and the run stops",
                  Widen(file, kPathCapacity, piece.fileName, CP_ACP),
                  Widen(disk, kDiskLabelCapacity, piece.diskLabel, kInstallerCodePage),
                  Widen(dir, kPathCapacity, g_installSession.sourceDir, CP_ACP));
        g_installSession.abortFlag = 1;
        Stopped(L"the run stopped at a missing piece");
        return HFILE_ERROR;
    }

    // Which fonts the machine has before the run: those are already
    // installed; one that an earlier item of this run registered is not.
    void NoteFontsRecordedBefore() {
        for (int i = 0; i < g_installScript.fontItemCount; ++i)
            recordedBefore_[i] = LookUpFont(g_installScript.fontItems[i].fontName) == FontRecorded;
    }

    void ItemDone(ItemCategory category, int index, int installed) override {
        Outcome outcome = installed ? Installed : NotInstalled;
        // A font that was registered before the run has been refused as
        // already there: for an administrator that machine is done.
        if (!installed && category == CategoryFont && recordedBefore_[index]) outcome = AlreadyInstalled;
        outcomes_[category][index] = outcome;
        LogItem(category, index,
                outcome == Installed          ? L"installed"
                : outcome == AlreadyInstalled ? L"already installed"
                                              : L"not installed");
    }

    // The items the run did not reach, the totals and the exit code.
    int Summary() {
        int installed = 0, already = 0, failed = 0;
        for (ItemCategory category : kRunOrder) {
            for (int i = 0; i < ItemCount(category); ++i) {
                Outcome outcome = outcomes_[category][i];
                if (outcome == NotTried) {
                    wchar_t why[128];
                    std::swprintf(why, 128, L"not installed (%ls)", stopped_ ? stopped_ : L"not reached");
                    LogItem(category, i, why);
                }
                installed += outcome == Installed;
                already += outcome == AlreadyInstalled;
                failed += outcome == NotTried || outcome == NotInstalled;
            }
        }
        LogFormat(L"%d installed, %d already installed, %d not installed", installed, already, failed);
        return failed ? ExitItemsFailed : ExitInstalled;
    }

private:
    void Stopped(const wchar_t* why) {
        if (!stopped_) stopped_ = why;
    }

    const char* fontsDestination_;
    const wchar_t* stopped_ = nullptr;  // what ended or stopped the run first
    Outcome outcomes_[4][kMaxFontItems];
    bool recordedBefore_[kMaxFontItems] = {};
};

// One installer at a time: a run waits up to a minute for a running one (a
// user's or another unattended one) to end. The mutex is held from then on.
enum Turn { OurTurn, StillRunning };
Turn TakeTurn(HANDLE* running) {
    *running = CreateMutexW(nullptr, TRUE, kRunningMutex);
    // Without the mutex the run goes ahead, as a user's installer does.
    if (*running == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) return OurTurn;
    LogLine(L"another installer is running: waiting for it to end (at most a minute)");
    DWORD waited = WaitForSingleObject(*running, kWaitForOtherInstaller);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return OurTurn;
    CloseHandle(*running);
    *running = nullptr;
    return StillRunning;
}

// The turn, and while it is held the sign that tells a user's installer
// started meanwhile that this run has no window to bring forward.
Turn WaitForTurn(HANDLE* running, HANDLE* marker) {
    *marker = nullptr;
    Turn turn = TakeTurn(running);
    if (turn == OurTurn) *marker = CreateMutexW(nullptr, FALSE, kUnattendedMutex);
    return turn;
}

int Run(const CommandLine& options, int understood) {
    if (!understood) {
        wchar_t argument[kPathCapacity], why[64];
        LogFormat(L"argument not understood: %ls (%ls): nothing installed",
                  Widen(argument, kPathCapacity, options.firstUnknown, CP_ACP), Widen(why, 64, options.why, CP_ACP));
        return ExitBadCommandLine;
    }
    HANDLE running = nullptr, marker = nullptr;
    if (WaitForTurn(&running, &marker) == StillRunning) {
        LogLine(L"another installer is still running after a minute: nothing installed");
        return ExitOtherInstaller;
    }
    int code = ExitCannotStart;
    char destination[kPathCapacity];
    CopyText(destination, sizeof destination, options.destination);
    UnattendedUi ui(destination);
    SetInstallerUi(&ui);
    int loaded = kScriptLoaded;
    char folder[kPathCapacity];
    if (options.remove) {
        // The remover's folder holds the record; the disc is gone.
        int confirmed = 0, gone = 0;
        if (!RemoverFolder(folder)) {
            ShowWarning(nullptr, IDS_SYSTEM_ERROR);
            code = ExitItemsFailed;
        } else {
            code = RunRemoval(nullptr, folder, &confirmed, &gone);
            if (gone) StartRemoverCleanup(folder);
        }
    } else if (!WindowsVersionSuffices()) {
        ShowWarning(nullptr, IDS_NEEDS_WINDOWS95);
    } else if ((loaded = LoadInstallScript()) != kScriptLoaded) {
        ShowWarning(nullptr, loaded, kScriptName);
    } else {
        InitInstallSession(g_installScript);
        if (destination[0] != '\0' && !RoomForFilesUnder(destination)) {
            wchar_t dir[kPathCapacity];
            LogFormat(L"/D=%ls is too long for the files to go under it: nothing installed",
                      Widen(dir, kPathCapacity, options.destination, CP_ACP));
            code = ExitBadCommandLine;
        } else if (!OpenInstallRecord(nullptr, ProductDefaultTexts())) {
            code = ExitItemsFailed;
        } else if (destination[0] != '\0' && !SettleDestination(destination)) {
            wchar_t dir[kPathCapacity];
            LogFormat(L"/D=%ls cannot be used: nothing installed",
                      Widen(dir, kPathCapacity, options.destination, CP_ACP));
            code = ExitBadCommandLine;
            CloseInstallRecord();
        } else {
            const InstallScript& s = g_installScript;
            int positions[kMaxFontItems + kMaxEudcItems];
            const int count = s.fontItemCount + s.eudcItemCount;
            for (int p = 0; p < count; ++p) positions[p] = p;
            ui.NoteFontsRecordedBefore();
            RunInstall(nullptr, positions, count);
            code = ui.Summary();
            CloseInstallRecord();
        }
    }
    SetInstallerUi(nullptr);
    if (marker != nullptr) CloseHandle(marker);
    if (running != nullptr) {
        ReleaseMutex(running);
        CloseHandle(running);
    }
    return code;
}

}  // namespace

int RunUnattended(const char* arguments, const CommandLine& options, int understood) {
    if (options.logPath[0] == '\0') {
        DiscardTrace();
    } else if (OpenInstallerLog(options.logPath, false) != LogOpened) {
        // Asked for a record that cannot be kept (or would land on a file
        // the run reads): nothing is installed unrecorded.
        return ExitBadCommandLine;
    }
    wchar_t line[1024];
    LogFormat(options.silent ? L"Tarsik.exe started unattended: %ls" : L"Tarsik.exe started: %ls",
              Widen(line, 1024, arguments, CP_ACP));
    int code = Run(options, understood);
    EndRunLog(code);
    return code;
}

}  // namespace tarsik
