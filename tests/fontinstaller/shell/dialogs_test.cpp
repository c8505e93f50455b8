// The destination dialog and the disk prompt, run for real and answered
// from a timer as a user would: typing into the field and pressing buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "destination_dialog.h"
#include "dialog_answers.h"
#include "disk_prompt.h"
#include "install_script.h"
#include "install_session.h"
#include "messages.h"
#include "resource_ids.h"
#include "scratch_dir.h"
#include "shell_ui.h"
#include "text_files.h"

using shelltest::Answer;
using shelltest::RespondToDialogs;
using shelltest::Shown;
using shelltest::Wide;
using vexatest::Big5;

namespace {

const wchar_t kDestinationTitle[] = L"目的目錄";
const wchar_t kDiskTitle[] = L"安裝HalvexSorvel字型Win95'";
const wchar_t kCreateQuestion[] = L"建立一個新的目錄 ？";
const wchar_t kInvalidDirectory[] = L"不合法之目錄 !";

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 950u);
        g_shell.instance = GetModuleHandleW(nullptr);
        LoadCaption(g_shell.instance);
        UseShellUi();
        std::memset(&g_installScript, 0, sizeof g_installScript);
        std::memset(&g_installSession, 0, sizeof g_installSession);
        installer_ = scratch_.MakeDir("disc");
        target_ = scratch_.MakeDir(Big5("成功"));
        CopyText(g_installScript.installerDir, kPathCapacity, installer_.c_str());
        GetSystemDirectoryA(g_installScript.systemDir, kPathCapacity);
    }

    vexatest::ScratchDir scratch_;
    std::string installer_, target_;
};

TEST_F(Dialogs, DestinationIsConfirmedCreatedOrReplacedByTheSystemDirectory) {
    const std::string system = g_installScript.systemDir;
    struct Case {
        const char* name;
        std::string typed;
        std::vector<int> buttons;        // destination, then each box that follows
        std::vector<std::wstring> seen;  // the title of each dialog, or the text of each box
        int result;
        std::string chosen;
        std::string created;  // a directory that must exist afterwards
    };
    const Case cases[] = {
        {"valid directory", target_ + "\\", {IDOK}, {kDestinationTitle}, 1, target_, ""},
        {"created and confirmed",
         target_ + "\\new",
         {IDOK, IDOK},
         {kDestinationTitle, kCreateQuestion},
         1,
         target_ + "\\new",
         target_ + "\\new"},
        {"parent missing",
         target_ + "\\no\\such",
         {IDOK, IDOK, IDOK, IDCANCEL},
         {kDestinationTitle, kCreateQuestion, kInvalidDirectory, kDestinationTitle},
         0,
         system,
         ""},
        {"creation declined",
         target_ + "\\declined",
         {IDOK, IDCANCEL, IDCANCEL},
         {kDestinationTitle, kCreateQuestion, kDestinationTitle},
         0,
         system,
         ""},
        {"installer's own directory",
         installer_,
         {IDOK, IDOK, IDOK, IDCANCEL},
         {kDestinationTitle, kCreateQuestion, kInvalidDirectory, kDestinationTitle},
         0,
         system,
         ""},
        {"too long once made full",
         std::string(250, 'x'),
         {IDOK, IDOK, IDOK, IDCANCEL},
         {kDestinationTitle, kCreateQuestion, kInvalidDirectory, kDestinationTitle},
         0,
         system,
         ""},
        {"cancelled", target_, {IDCANCEL}, {kDestinationTitle}, 0, installer_, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyText(g_installSession.chosenDir, kPathCapacity, installer_.c_str());
        std::vector<Shown> seen;
        std::vector<shelltest::Responder> responders;
        for (size_t i = 0; i < c.buttons.size(); ++i)
            responders.push_back(Answer(&seen, c.buttons[i], i == 0 ? c.typed.c_str() : nullptr));
        int result = -1;
        RespondToDialogs([&] { result = RunDestinationDialog(nullptr, Big5("請你輸入外字集目的目錄：").c_str()); },
                         responders);
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(g_installSession.chosenDir, c.chosen.c_str());
        ASSERT_EQ(seen.size(), c.seen.size());
        for (size_t i = 0; i < seen.size(); ++i) {
            bool dialog = c.seen[i] == kDestinationTitle;
            EXPECT_EQ(dialog ? seen[i].caption : seen[i].text, c.seen[i]) << "dialog " << i;
        }
        // Opened with the prompt and the offered directory; refilled with
        // the System directory.
        EXPECT_EQ(seen[0].text, L"請你輸入外字集目的目錄：");
        EXPECT_EQ(seen[0].directory, installer_);
        if (seen.size() > 1 && seen.back().caption == kDestinationTitle) {
            EXPECT_EQ(seen.back().directory, system);
        }
        if (!c.created.empty()) {
            EXPECT_NE(GetFileAttributesA(c.created.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
    EXPECT_EQ(GetFileAttributesA((target_ + "\\declined").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Dialogs, EmptyPromptShowsTheDialogsOwn) {
    std::vector<Shown> seen;
    RespondToDialogs([] { RunDestinationDialog(nullptr, ""); }, {Answer(&seen, IDCANCEL)});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"請你輸入目的目錄：");
}

TEST_F(Dialogs, DiskPromptOpensThePieceFromTheTypedDirectory) {
    const std::string disk2 = scratch_.MakeDir("disk 2");
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\KAIM.TT2", "second piece"));
    SourcePiece piece = {};
    CopyText(piece.fileName, kPathCapacity, "KAIM.TT2");
    CopyText(piece.diskLabel, kDiskLabelCapacity, Big5("第二片").c_str());
    const std::string wrong = scratch_.MakeDir("disk 1");
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int>> answers;  // typed (nullptr: nothing), button
        bool opened;
        std::string sourceDir;
        int abortFlag;
        std::vector<std::wstring> boxes;  // the texts of the boxes between the prompts
    };
    const std::wstring openFailure = Wide("無法開啟檔案 " + wrong + "\\KAIM.TT2 !\n");
    const std::string overlong = std::string(255, 'x');
    const Case cases[] = {
        {"found", {{disk2.c_str(), IDOK}}, true, disk2, 0, {}},
        {"retried", {{wrong.c_str(), IDOK}, {nullptr, IDOK}, {disk2.c_str(), IDOK}}, true, disk2, 0, {openFailure}},
        {"joined path too long",
         {{overlong.c_str(), IDOK}, {nullptr, IDOK}, {nullptr, IDCANCEL}},
         false,
         overlong,
         0,
         // The cut path does not fit the message either: 13 bytes before it.
         {Wide("無法開啟檔案 " + std::string(242, 'x'))}},
        {"cancelled", {{disk2.c_str(), IDCANCEL}}, false, installer_, 0, {}},
        {"exit", {{disk2.c_str(), IDC_EXIT_INSTALL}}, false, installer_, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CopyText(g_installSession.sourceDir, kPathCapacity, installer_.c_str());
        g_installSession.abortFlag = 0;
        std::vector<Shown> seen;
        std::vector<shelltest::Responder> responders;
        for (const auto& [typed, button] : c.answers) responders.push_back(Answer(&seen, button, typed));
        HFILE file = HFILE_ERROR;
        RespondToDialogs([&] { file = RunDiskPrompt(nullptr, piece, OpenPlain); }, responders);
        if (c.opened) {
            ASSERT_NE(file, HFILE_ERROR);
            char bytes[32] = {};
            EXPECT_EQ(_lread(file, bytes, sizeof bytes), 12u);
            EXPECT_STREQ(bytes, "second piece");
            _lclose(file);
        } else {
            EXPECT_EQ(file, HFILE_ERROR);
        }
        EXPECT_STREQ(g_installSession.sourceDir, c.sourceDir.c_str());
        EXPECT_EQ(g_installSession.abortFlag, c.abortFlag);
        ASSERT_EQ(seen.size(), c.answers.size());
        EXPECT_EQ(seen[0].caption, kDiskTitle);
        EXPECT_EQ(seen[0].text, L"請放入 第二片 或將含有 KAIM.TT2 之磁片放入...");
        EXPECT_EQ(seen[0].directory, installer_);
        for (size_t i = 0; i < c.boxes.size(); ++i) EXPECT_EQ(seen[1 + 2 * i].text, c.boxes[i]);
    }
}

}  // namespace
