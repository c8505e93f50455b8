// A Misc item entered into a program group by Wine's own shell, which serves
// "PROGMAN" while its desktop runs (started by cmake/with-xvfb --desktop).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "item_installers.h"
#include "item_script.h"
#include "progman.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"
#include "text_files.h"

using namespace tarsik;

using testing::HasSubstr;

namespace {

HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// Opens a conversation with "PROGMAN", waiting up to timeoutMs for the
// shell to come up; sends command when given. True when it was answered.
bool TalkToProgman(const char* command, DWORD timeoutMs) {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    HSZ progman = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = nullptr;
    for (DWORD waited = 0; !conversation && waited <= timeoutMs; waited += 250) {
        conversation = DdeConnect(instance, progman, progman, nullptr);
        if (!conversation) Sleep(250);
    }
    bool answered = conversation != nullptr;
    if (conversation && command) {
        answered = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)),
                                        static_cast<DWORD>(lstrlenA(command) + 1), conversation, nullptr, CF_TEXT,
                                        XTYP_EXECUTE, 5000, nullptr) != nullptr;
    }
    if (conversation) DdeDisconnect(conversation);
    DdeFreeStringHandle(instance, progman);
    DdeUninitialize(instance);
    return answered;
}

// The target of a shortcut file, or "" when it cannot be read.
std::string ShortcutTarget(const std::string& lnk) {
    std::string target;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
        char path[MAX_PATH] = "";
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

// A group, an item and a program path with a comma, parentheses and a
// bracket: quoted, they reach the shell whole.
TEST(ProgmanShell, WineShellMakesTheShortcutInTheGroup) {
    ASSERT_TRUE(TalkToProgman(nullptr, 20000))
        << "Wine's shell does not serve PROGMAN (is its desktop running on an X display?)";

    vexatest::ScratchDir scratch;
    const std::string media = scratch.MakeDir("media");
    ASSERT_TRUE(vexatest::WriteBytes(media + "\\VIEWER.EXE", "MZ viewer"));
    char group[64];
    std::snprintf(group, sizeof group, "VexaTest %lu (Tools, Fonts)", GetCurrentProcessId());
    const std::string programDir = scratch.MakeDir("Program Files (x86)") + "\\VIEWER";
    vexatest::ResetScript(media);
    vexatest::AddMiscItem("Viewer (1.0) [beta]", vexatest::AddGroup({"VIEWER.EXE"}), programDir, group);
    vexatest::ScriptedUi ui;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));

    char programs[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs), S_OK);
    const std::string groupDir = std::string(programs) + "\\" + group;
    struct Cleanup {
        std::string command, dir;
        ~Cleanup() {
            TalkToProgman(command.c_str(), 0);
            vexatest::RemoveTree(dir);
        }
    } cleanup{std::string("[DeleteGroup(\"") + group + "\")]", groupDir};

    // Twice: the second run replaces the item the first one made.
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        vexatest::StdoutCapture out;
        EXPECT_EQ(InstallMiscItem(nullptr, 0), 1);
        EXPECT_THAT(out.Text(), HasSubstr("\tDone\n"));
        if (run == 1) {  // no such item yet: the shell refuses the replace
            EXPECT_THAT(out.Text(), HasSubstr("[ReplaceItem(\"Viewer (1.0) [beta]\")]\n\tDDE Error 0x4009\n"));
        }
        EXPECT_EQ(ShortcutTarget(groupDir + "\\Viewer (1.0) [beta].lnk"), programDir + "\\VIEWER.EXE");
    }
    // And taken out again, as a removal does.
    RecordEntry item = {};
    item.kind = RecordedProgramItem;
    std::snprintf(item.path, sizeof item.path, "%s", group);
    std::snprintf(item.name, sizeof item.name, "Viewer (1.0) [beta]");
    char why[kWhyCapacity];
    EXPECT_EQ(RemoveProgmanItem(nullptr, item, why), EntryRemoved) << why;
    EXPECT_FALSE(vexatest::FileExists(groupDir + "\\Viewer (1.0) [beta].lnk"));
}

}  // namespace
