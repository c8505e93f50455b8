// The destination dialog and the disk prompt, run for real and answered as
// a user would: typing into the field and pressing buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "destination_dialog.h"
#include "dialog_answers.h"
#include "disk_prompt.h"
#include "install_session.h"
#include "messages.h"
#include "resource_ids.h"
#include "scratch_dir.h"
#include "shell_ui.h"
#include "text_files.h"

using namespace tarsik;

using vexatest::Answer;
using vexatest::Shown;

namespace {

std::wstring Wide(const std::string& ansi) {
    wchar_t wide[1024];
    return MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide, 1024) > 0 ? wide : L"";
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 950u);
        g_shell.instance = GetModuleHandleW(nullptr);
        LoadCaption(g_shell.instance);
        UseShellUi();
        std::memset(&g_installScript, 0, sizeof g_installScript);
        std::memset(&g_installSession, 0, sizeof g_installSession);
        CopyText(g_installScript.installerDir, kPathCapacity, disc_.c_str());
        GetSystemDirectoryA(g_installScript.systemDir, kPathCapacity);
    }
    // Runs code with the answers (typed text or nullptr, then the button).
    std::vector<Shown> Answering(const std::vector<std::pair<const char*, int>>& answers,
                                 const std::function<void()>& code) {
        std::vector<Shown> seen;
        std::vector<vexatest::Responder> responders;
        for (const auto& [typed, button] : answers) responders.push_back(Answer(&seen, button, typed));
        vexatest::RespondToDialogs(code, responders);
        return seen;
    }

    vexatest::ScratchDir scratch_;
    std::string disc_ = scratch_.MakeDir("disc"), target_ = scratch_.MakeDir(vexatest::Big5("成功"));
};

TEST_F(Dialogs, DestinationIsConfirmedCreatedOrReplacedByTheSystemDirectory) {
    const std::wstring kTitle = L"目的目錄", kCreate = L"建立一個新的目錄 ？", kInvalid = L"不合法之目錄 !";
    const std::string system = g_installScript.systemDir, created = target_ + "\\new";
    struct Case {
        std::string typed;
        std::vector<int> buttons;         // the dialog's, then each box's after it
        std::vector<std::wstring> boxes;  // the texts of those boxes
        int result;
        std::string chosen;
    };
    const Case cases[] = {
        {target_ + "\\", {IDOK}, {}, 1, target_},
        {created, {IDOK, IDOK}, {kCreate}, 1, created},
        {target_ + "\\no\\such", {IDOK, IDOK, IDOK, IDCANCEL}, {kCreate, kInvalid}, 0, system},
        {std::string(250, 'x'), {IDOK, IDOK, IDOK, IDCANCEL}, {kCreate, kInvalid}, 0, system},
        {target_, {IDCANCEL}, {}, 0, disc_},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        CopyText(g_installSession.chosenDir, kPathCapacity, disc_.c_str());
        std::vector<std::pair<const char*, int>> answers;
        for (int button : c.buttons) answers.push_back({answers.empty() ? c.typed.c_str() : nullptr, button});
        int result = -1;
        auto seen =
            Answering(answers, [&] { result = RunDestinationDialog(nullptr, vexatest::Big5("請選擇：").c_str()); });
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(g_installSession.chosenDir, c.chosen.c_str());
        ASSERT_EQ(seen.size(), c.buttons.size());
        EXPECT_EQ(seen[0].caption, kTitle);
        EXPECT_EQ(seen[0].text, L"請選擇：");
        EXPECT_EQ(seen[0].field, disc_);
        for (size_t i = 0; i < c.boxes.size(); ++i) EXPECT_EQ(seen[1 + i].text, c.boxes[i]);
        // After the System directory is offered instead, the dialog shows it.
        if (c.boxes.size() == 2) {
            EXPECT_EQ(seen.back().field, system);
        }
    }
    EXPECT_NE(GetFileAttributesA(created.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Dialogs, DiskPromptOpensThePieceFromTheTypedDirectory) {
    const std::string disk1 = scratch_.MakeDir("disk 1"), disk2 = scratch_.MakeDir(vexatest::Big5("磁片二成功"));
    const std::string overlong(255, 'x');
    ASSERT_TRUE(vexatest::WriteBytes(disk2 + "\\KAIM.TT2", "second piece"));
    SourcePiece piece = {"KAIM.TT2", ""};
    CopyText(piece.diskLabel, kDiskLabelCapacity, vexatest::Big5("第二片").c_str());
    struct Case {
        std::vector<std::pair<const char*, int>> answers;  // the prompt's and each box's
        std::wstring box;                                  // the open-failure box's text
        bool opened;
        std::string sourceDir;
        int abortFlag;
    };
    const Case cases[] = {
        {{{disk2.c_str(), IDOK}}, L"", true, disk2, 0},
        {{{disk1.c_str(), IDOK}, {nullptr, IDOK}, {disk2.c_str(), IDOK}},
         L"無法開啟檔案 " + Wide(disk1) + L"\\KAIM.TT2 !\n",
         true,
         disk2,
         0},
        // The joined path does not fit: not opened; 13 bytes before it in the box.
        {{{overlong.c_str(), IDOK}, {nullptr, IDOK}, {nullptr, IDCANCEL}},
         L"無法開啟檔案 " + Wide(overlong.substr(0, 242)),
         false,
         overlong,
         0},
        {{{disk2.c_str(), IDCANCEL}}, L"", false, disc_, 0},
        {{{disk2.c_str(), IDC_EXIT_INSTALL}}, L"", false, disc_, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers[0].second);
        CopyText(g_installSession.sourceDir, kPathCapacity, disc_.c_str());
        g_installSession.abortFlag = 0;
        HFILE file = HFILE_ERROR;
        auto seen = Answering(c.answers, [&] { file = RunDiskPrompt(nullptr, piece, OpenPlain); });
        char bytes[16] = {};
        EXPECT_EQ(file != HFILE_ERROR && _lread(file, bytes, 12) == 12, c.opened);
        if (file != HFILE_ERROR) _lclose(file);
        EXPECT_STREQ(g_installSession.sourceDir, c.sourceDir.c_str());
        EXPECT_EQ(g_installSession.abortFlag, c.abortFlag);
        ASSERT_EQ(seen.size(), c.answers.size());
        EXPECT_EQ(seen[0].caption, L"安裝HalvexSorvel字型Win95'");
        EXPECT_EQ(seen[0].text, L"請放入 第二片 或將含有 KAIM.TT2 之磁片放入...");
        EXPECT_EQ(seen[0].field, disc_);
        if (seen.size() > 1) {
            EXPECT_EQ(seen[1].text, c.box);
        }
    }
}

}  // namespace
