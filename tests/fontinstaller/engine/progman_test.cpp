// The Program Manager conversation of a Misc item, against a stand-in
// "PROGMAN" served by the test and against Wine's own shell.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "item_script.h"
#include "progman.h"
#include "progman_server.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"

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
    }

    vexatest::ScratchDir scratch;
    vexatest::ScriptedUi ui;
};

TEST_F(ProgmanTest, SendsTheThreeCommandsInOrderAndTracesTheConversation) {
    ProgmanServer server;
    ASSERT_TRUE(server.serving());
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 1);

    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]", "[ReplaceItem(Viewer)]",
                                               "[AddItem(C:\\WINDOWS\\VIEWER.EXE,Viewer)]"));
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
    vexatest::StdoutCapture out;

    EXPECT_EQ(AddProgmanItem(nullptr, 0, kProgram), 0);

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

    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::milliseconds(5000));
    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]"));
    // DMLERR_EXECACKTIMEOUT
    EXPECT_THAT(out.Text(), HasSubstr("\tDDE Error 0x4005\n"));
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

        EXPECT_EQ(AddProgmanItem(nullptr, 0, path.c_str()), c.expected);

        auto commands = server.Commands();
        if (c.expected) {
            ASSERT_EQ(commands.size(), 3u);
            EXPECT_EQ(commands[2], "[AddItem(" + path + ",Viewer)]");
        } else {
            EXPECT_THAT(commands, IsEmpty());
            EXPECT_THAT(out.Text(), testing::Not(HasSubstr("Connecting")));
        }
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
