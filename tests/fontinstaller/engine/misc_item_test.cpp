// Installing "Misc" items: the file with its trace, and the program-group
// entry against a test-served "PROGMAN".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "item_installers.h"
#include "item_script.h"
#include "progman_server.h"
#include "scratch_dir.h"
#include "scripted_ui.h"
#include "stdout_capture.h"
#include "text_files.h"

using namespace tarsik;

using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using vexatest::ProgmanServer;
using vexatest::UiEvent;

namespace {

const std::string kViewerBytes = "MZ viewer program";

class MiscItemTest : public testing::Test {
protected:
    void SetUp() override {
        media = scratch.MakeDir("media");
        ASSERT_TRUE(vexatest::WriteBytes(media + "\\VIEWER.EXE", kViewerBytes));
        vexatest::ResetScript(media);
        dest = scratch / "VIEWER";
    }

    vexatest::ScratchDir scratch;
    std::string media;
    std::string dest;
    vexatest::ScriptedUi ui;
};

// The file goes in first; the add command names it by its full path.
TEST_F(MiscItemTest, InstallsTheFileAndEntersItInItsGroup) {
    vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), dest, "Tools");
    ProgmanServer server;
    ASSERT_TRUE(server.serving());
    vexatest::StdoutCapture out;

    EXPECT_EQ(InstallMiscItem(nullptr, 0), 1);

    const std::string installed = dest + "\\VIEWER.EXE";
    std::string bytes;
    EXPECT_TRUE(vexatest::ReadBytes(installed, &bytes));
    EXPECT_EQ(bytes, kViewerBytes);
    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]", "[ReplaceItem(Viewer)]",
                                               "[AddItem(" + installed + ",Viewer)]"));
    const std::string trace = out.Text();
    EXPECT_THAT(trace, testing::StartsWith("Dest " + installed + "\n"));
    EXPECT_THAT(trace, HasSubstr("Adding Viewer into group Tools\n"));
    EXPECT_THAT(trace, HasSubstr("\tDone\n"));
    EXPECT_THAT(ui.Of(UiEvent::Warning), IsEmpty());
}

TEST_F(MiscItemTest, ItemWithoutGroupIsOnlyCopied) {
    vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), dest);
    ProgmanServer server;

    EXPECT_EQ(InstallMiscItem(nullptr, 0), 1);

    EXPECT_TRUE(vexatest::FileExists(dest + "\\VIEWER.EXE"));
    EXPECT_THAT(server.Commands(), IsEmpty());
}

// A Program Manager that takes the command and never answers: after the
// time-out the item fails, and the installed file stays.
TEST_F(MiscItemTest, UnansweredProgramManagerFailsTheItemButKeepsTheFile) {
    vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), dest, "Tools");
    ProgmanServer server(ProgmanServer::NeverAnswer);
    vexatest::StdoutCapture out;

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(InstallMiscItem(nullptr, 0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));

    EXPECT_TRUE(vexatest::FileExists(dest + "\\VIEWER.EXE"));
    EXPECT_THAT(server.Commands(), ElementsAre("[CreateGroup(Tools)][ShowGroup(Tools,1)]"));
    EXPECT_THAT(ui.events, testing::Not(testing::Contains(testing::Field(&UiEvent::kind, UiEvent::Warning))));
}

// The full path of the installed file makes the add command too long for
// its buffer: nothing is sent, the item fails, the file stays.
TEST_F(MiscItemTest, AddCommandTooLongIsNotSentAndTheFileStays) {
    std::string longDir = scratch.path() + "\\" + std::string(240 - scratch.path().size(), 'v');
    vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), longDir, "Tools");
    ProgmanServer server;

    EXPECT_EQ(InstallMiscItem(nullptr, 0), 0);

    EXPECT_TRUE(vexatest::FileExists(longDir + "\\VIEWER.EXE"));
    EXPECT_THAT(server.Commands(), IsEmpty());
}

TEST_F(MiscItemTest, DestinationThatCannotBeCreatedGivesWarning12) {
    dest = scratch / "no\\such";
    vexatest::AddMiscItem("Viewer", vexatest::AddGroup({"VIEWER.EXE"}), dest, "Tools");
    ProgmanServer server;

    EXPECT_EQ(InstallMiscItem(nullptr, 0), 0);

    auto warnings = ui.Of(UiEvent::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].id, 12);
    EXPECT_EQ(warnings[0].arg1, dest + "\\VIEWER.EXE");
    EXPECT_THAT(server.Commands(), IsEmpty());
}

}  // namespace
