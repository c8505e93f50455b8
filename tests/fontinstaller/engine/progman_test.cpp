// The Program Manager conversation of a Misc item, against a stand-in
// "PROGMAN" served by the test and against Wine's own shell.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <dde.h>

#include "ansi_text.h"
#include "frozen_window.h"
#include "import_hook.h"
#include "item_script.h"
#include "progman.h"
#include "progman_server.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"
#include "text_files.h"
#include "windows_family.h"

using namespace tarsik;

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using vexatest::ProgmanServer;

namespace {

constexpr char kProgram[] = "C:\\WINDOWS\\VIEWER.EXE";

class ProgmanTest : public testing::Test {
protected:
    void SetUp() override {
        vexatest::ResetScript(scratch.path());
        vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), "C:\\WINDOWS", "Tools");
        vexatest::AddMiscItem("Notes", vexatest::AddGroup({"NOTES.TXT"}), "C:\\WINDOWS");
        // The focus is elsewhere when the conversation starts.
        for (HWND* window : {&owner, &other})
            *window =
                CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        SetFocus(other);
    }
    void TearDown() override {
        DestroyWindow(owner);
        DestroyWindow(other);
    }

    vexatest::ScratchDir scratch;
    vexatest::ScriptedUi ui;
    HWND owner = nullptr, other = nullptr;
};

TEST_F(ProgmanTest, SendsTheThreeCommandsInOrderAndTracesTheConversation) {
    ProgmanServer server;
    ASSERT_TRUE(server.serving());
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(owner, 0, kProgram), 1);

    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]", "[ReplaceItem(Viewer)]",
                                               "[AddItem(C:\\WINDOWS\\VIEWER.EXE,Viewer)]"));
    // Each command is sent with its terminating NUL.
    EXPECT_EQ(server.RawCommands()[1], std::string("[ReplaceItem(Viewer)]", 22));
    EXPECT_EQ(GetFocus(), owner);
    EXPECT_EQ(out.Text(),
              "Adding Viewer into group Tools\n"
              "\tInitializing\n"
              "\tConnecting\n"
              "\tSending Command [CreateGroup(Tools)][ShowGroup(Tools,1)]\n"
              "\tSending Command [ReplaceItem(Viewer)]\n"
              "\tDDE Error 0x0\n"
              "\tSending Command [AddItem(C:\\WINDOWS\\VIEWER.EXE,Viewer)]\n"
              "\tDone\n"
              "\tDDE Error 0x0\n");
    EXPECT_THAT(ui.events, IsEmpty());
}

TEST_F(ProgmanTest, ItemWithoutGroupHoldsNoConversation) {
    ProgmanServer server;
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 1, "C:\\WINDOWS\\NOTES.TXT"), 1);

    EXPECT_THAT(server.Commands(), IsEmpty());
    EXPECT_EQ(out.Text(), "");
}

TEST_F(ProgmanTest, RefusedReplaceIsIgnoredAndTheItemIsStillAdded) {
    ProgmanServer server(ProgmanServer::RefuseReplaceItem);
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 1);

    EXPECT_EQ(server.Commands().size(), 3u);
    // DMLERR_NOTPROCESSED after the replace, cleared by the add that worked.
    EXPECT_THAT(out.Text(), HasSubstr("[ReplaceItem(Viewer)]\n\tDDE Error 0x4009\n"));
    EXPECT_THAT(out.Text(), HasSubstr("\tDone\n\tDDE Error 0x0\n"));
}

TEST_F(ProgmanTest, RefusedCreateGroupEndsTheConversation) {
    ProgmanServer server(ProgmanServer::RefuseCreateGroup);
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 0);

    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]"));
    EXPECT_THAT(out.Text(), testing::EndsWith("[ShowGroup(Tools,1)]\n\tDDE Error 0x4009\n"));
}

TEST_F(ProgmanTest, RefusedAddItemFailsTheItem) {
    ProgmanServer server(ProgmanServer::RefuseAddItem);
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 0);

    EXPECT_EQ(server.Commands().size(), 3u);
    EXPECT_THAT(out.Text(), testing::Not(HasSubstr("Done")));
}

TEST_F(ProgmanTest, NoServerFailsTheItem) {
    // Nor can an item be taken out: it stays in the record, said why.
    RecordEntry item = {};
    item.kind = RecordedProgramItem;
    CopyText(item.path, sizeof item.path, "Tools");
    CopyText(item.name, sizeof item.name, "Viewer");
    char why[kWhyCapacity];
    EntryOutcome removal;
    {
        vexatest::StdoutCapture quiet;
        removal = RemoveProgmanItem(owner, item, why);
    }
    EXPECT_EQ(removal, EntryNotRemoved);
    EXPECT_EQ(vexatest::ToUtf8(why, 950), "程式管理員沒有回應,請以手動方式刪除");

    vexatest::StdoutCapture out;
    EXPECT_EQ(AddProgmanItem(owner, 0, kProgram), 0);

    EXPECT_EQ(GetFocus(), owner);
    // DMLERR_NO_CONV_ESTABLISHED
    EXPECT_EQ(out.Text(),
              "Adding Viewer into group Tools\n"
              "\tInitializing\n"
              "\tConnecting\n"
              "\tDDE Error 0x400a\n");
}

TEST_F(ProgmanTest, ServerThatNeverAnswersTimesOutAfterTheFirstCommand) {
    ProgmanServer server(ProgmanServer::NeverAnswer);
    vexatest::StdoutCapture out;

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 0);
    auto waited = std::chrono::steady_clock::now() - start;

    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_LT(waited, std::chrono::milliseconds(1900));
    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]"));
    // DMLERR_EXECACKTIMEOUT
    EXPECT_THAT(out.Text(), HasSubstr("\tDDE Error 0x4005\n"));
}

// The connection asks every top-level window whether it serves "PROGMAN";
// one that has stopped answering would hold it for ever. The conversation
// is given up after its limit, and sends nothing once the window answers.
TEST_F(ProgmanTest, WindowThatStopsAnsweringIsGivenUpAfterTheLimit) {
    ProgmanServer server;
    ASSERT_TRUE(server.serving());
    SetProgmanConversationLimit(1500);
    vexatest::AtScopeExit restore([] { SetProgmanConversationLimit(0); });
    std::chrono::steady_clock::duration waited;
    std::string trace;
    int result = -1;
    {
        vexatest::StdoutCapture out;
        {
            vexatest::FrozenWindow frozen;
            auto start = std::chrono::steady_clock::now();
            result = AddProgmanItem(owner, 0, kProgram);
            waited = std::chrono::steady_clock::now() - start;
        }
        // The conversation's thread goes on once the window answers, asking
        // this thread's windows next, and connects: a moment more shows
        // whether it then sends anything.
        DWORD connected = 0;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
            if (!connected && server.Conversations() > 0) connected = GetTickCount();
            if (connected && GetTickCount() - connected > 500) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
        trace = out.Text();
    }

    EXPECT_EQ(result, 0);
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    EXPECT_GE(server.Conversations(), 1);  // it did connect, once the window answered
    EXPECT_THAT(server.Commands(), IsEmpty());
    EXPECT_EQ(GetFocus(), owner);
    EXPECT_THAT(trace, HasSubstr("\tNo answer within 1500 ms: given up\n"));
}

// The add command holds a path of up to 259 characters and a name of up to
// 71: what does not fit the command buffer whole is not sent at all (the
// replace command must not take the old item out when the add cannot follow).
TEST_F(ProgmanTest, CommandsAreSentOnlyWhenEachFitsWhole) {
    const std::string prefix = "C:\\";
    const int overhead = static_cast<int>(std::string("[AddItem(,Viewer)]").size());
    struct Case {
        int commandLength;
        int expected;
    } cases[] = {{kProgmanCommandCapacity - 1, 1}, {kProgmanCommandCapacity, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLength);
        std::string path = prefix + std::string(c.commandLength - overhead - prefix.size(), 'p');
        ProgmanServer server;
        vexatest::StdoutCapture out;
        SetFocus(other);

        EXPECT_EQ(AddProgmanItem(owner, 0, path.c_str()), c.expected);

        EXPECT_EQ(GetFocus(), owner);
        auto commands = server.Commands();
        if (c.expected) {
            ASSERT_EQ(commands.size(), 3u);
            EXPECT_EQ(commands[2], "[AddItem(" + path + ",Viewer)]");
        } else {
            EXPECT_THAT(commands, IsEmpty());
            EXPECT_EQ(out.Text(), "Adding Viewer into group Tools\n");
        }
    }
}

// A comma, a parenthesis or a bracket would change the command's arguments:
// such an argument goes in double quotes, the others as they are. Judged by
// character: the second byte of Big5 "功" is no bracket.
TEST_F(ProgmanTest, ArgumentsWithCommandCharactersAreQuoted) {
    struct Case {
        const char* group;
        const char* name;
        const char* path;
        std::vector<std::string> commands;
    } cases[] = {
        {"Tools, Extra",
         "Viewer",
         "C:\\APPS\\V.EXE",
         {"[CreateGroup(\"Tools, Extra\")][ShowGroup(\"Tools, Extra\",1)]", "[ReplaceItem(Viewer)]",
          "[AddItem(C:\\APPS\\V.EXE,Viewer)]"}},
        {"Tools",
         "Viewer (new)",
         "C:\\Program Files (x86)\\V.EXE",
         {"[CreateGroup(Tools)][ShowGroup(Tools,1)]", "[ReplaceItem(\"Viewer (new)\")]",
          "[AddItem(\"C:\\Program Files (x86)\\V.EXE\",\"Viewer (new)\")]"}},
        {"[Tools]",
         "A]B",
         "C:\\V.EXE",
         {"[CreateGroup(\"[Tools]\")][ShowGroup(\"[Tools]\",1)]", "[ReplaceItem(\"A]B\")]",
          "[AddItem(C:\\V.EXE,\"A]B\")]"}},
        {"\xa5\x5c",
         "\xb3\x5b\xb3\x5d",
         "C:\\V.EXE",  // Big5 characters with '\\', '[' and ']' as second byte
         {"[CreateGroup(\xa5\x5c)][ShowGroup(\xa5\x5c,1)]", "[ReplaceItem(\xb3\x5b\xb3\x5d)]",
          "[AddItem(C:\\V.EXE,\xb3\x5b\xb3\x5d)]"}},
    };
    ASSERT_EQ(GetACP(), 950u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        vexatest::ResetScript(scratch.path());
        vexatest::AddMiscItem(c.name, vexatest::AddGroup({"V.EXE"}), "C:\\", c.group);
        ProgmanServer server;
        vexatest::StdoutCapture out;

        EXPECT_EQ(AddProgmanItem(owner, 0, c.path), 1);

        EXPECT_EQ(server.Commands(), c.commands);
    }
}

// The message filter as the installer asks it, by recording stand-ins for
// ChangeWindowMessageFilter and for the look-up that finds it: each call
// as the message, the action, and how many conversations and commands the
// shell had by then.
ProgmanServer* g_shell = nullptr;
std::vector<std::string> g_filterCalls;
int g_filterLookups = 0;
bool g_filterExists = true;
BOOL WINAPI RecordFilterChange(UINT message, DWORD action) {
    g_filterCalls.push_back(std::string(message == WM_DDE_ACK         ? "WM_DDE_ACK"
                                        : message == WM_DDE_TERMINATE ? "WM_DDE_TERMINATE"
                                                                      : std::to_string(message)) +
                            (action == MSGFLT_ADD ? " let through" : " filtered") + " after " +
                            std::to_string(g_shell->Conversations()) + " conversations, " +
                            std::to_string(g_shell->Commands().size()) + " commands");
    return TRUE;
}
using GetProcAddressProc = FARPROC(WINAPI*)(HMODULE, LPCSTR);
GetProcAddressProc g_realGetProcAddress = nullptr;
FARPROC WINAPI LookUpRecordingFilter(HMODULE module, LPCSTR name) {
    if (reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && !lstrcmpA(name, "ChangeWindowMessageFilter")) {
        ++g_filterLookups;
        return g_filterExists ? reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordFilterChange)) : nullptr;
    }
    return g_realGetProcAddress(module, name);
}

// An elevated installer hears the shell's replies only through the message
// filter on NT 6 and later: let through before the conversation starts,
// filtered again once it has ended. Older systems and a user32 without the
// function hold the conversation as before.
TEST_F(ProgmanTest, ShellRepliesPassTheMessageFilterWhileTheConversationLasts) {
    const std::vector<std::string> letThrough = {"WM_DDE_ACK let through after 0 conversations, 0 commands",
                                                 "WM_DDE_TERMINATE let through after 0 conversations, 0 commands",
                                                 "WM_DDE_ACK filtered after 2 conversations, 3 commands",
                                                 "WM_DDE_TERMINATE filtered after 2 conversations, 3 commands"};
    struct Case {
        const char* what;
        VersionSource family;
        bool exists;
        int lookups;
        std::vector<std::string> calls;
    } cases[] = {
        {"NT 6.2", vexatest::WindowsNt, true, 2, letThrough},
        {"NT 6.2, user32 without the function", vexatest::WindowsNt, false, 2, {}},
        {"Windows 2000", vexatest::Windows2000, true, 0, {}},
        {"Windows 95", vexatest::Windows95, true, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgmanServer server;
        ASSERT_TRUE(server.serving());
        g_shell = &server;
        g_filterCalls.clear();
        g_filterLookups = 0;
        g_filterExists = c.exists;
        vexatest::WindowsFamily family(c.family);
        vexatest::ImportHook hook("KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(LookUpRecordingFilter));
        ASSERT_TRUE(hook.installed());
        g_realGetProcAddress = reinterpret_cast<GetProcAddressProc>(hook.original());
        vexatest::StdoutCapture out;

        EXPECT_EQ(AddProgmanItem(owner, 0, kProgram), 1);

        EXPECT_EQ(server.Commands().size(), 3u);
        EXPECT_EQ(g_filterLookups, c.lookups);
        EXPECT_EQ(g_filterCalls, c.calls);
    }
}

}  // namespace

namespace {

// The callback only traces the three notices a client can get, returns no
// data for anything, and traces nothing else.
TEST(ProgmanCallback, TracesErrorsCompletionsAndForcedDisconnects) {
    struct Case {
        UINT type;
        const char* trace;
    } cases[] = {
        {XTYP_ERROR, "XTYP_ERROR received\n"},
        {XTYP_XACT_COMPLETE, "XTYP_XACT_COMPLETE received\n"},
        {XTYP_DISCONNECT, "Server forced disconnect\n"},
        {XTYP_REGISTER, ""},
        {XTYP_ADVDATA, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        vexatest::StdoutCapture out;
        EXPECT_EQ(ProgmanCallback(c.type, CF_TEXT, nullptr, nullptr, nullptr, nullptr, 0, 0), nullptr);
        EXPECT_EQ(out.Text(), c.trace);
    }
}

}  // namespace
