// The installer's texts as the user reads them: messages with their
// arguments, cut at 255 bytes at a whole Big5 character, in boxes with the
// installer's caption.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dialog_answers.h"
#include "message_ids.h"
#include "messages.h"
#include "shell_ui.h"
#include "text_files.h"

using shelltest::Wide;
using vexatest::Big5;

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 950u);
        g_shell.instance = GetModuleHandleW(nullptr);
        LoadCaption(g_shell.instance);
        UseShellUi();
    }
};

TEST_F(Messages, ArgumentsTakeTheirPlacesAndLongTextsEndAtAWholeCharacter) {
    struct Case {
        int id;
        std::string arg1, arg2;  // Big5 bytes
        std::string expected;    // UTF-8
    };
    const Case cases[] = {
        {IDS_CANNOT_CREATE_FILE, "C:\\FONTS\\KAIM.TTF", "", "無法建立檔案 C:\\FONTS\\KAIM.TTF !"},
        {IDS_INSERT_DISK, Big5("第二片"), "KAIM.TT2", "請放入 第二片 或將含有 KAIM.TT2 之磁片放入..."},
        {IDS_STATUS_ADDING_FONT, Big5("楷書"), "", "增加 楷書 字型到系統中..."},
        {IDS_STATUS_IDLE, "", "", "請選擇安裝之項目。"},
        // 9 bytes before the name leave room for 123 characters of 功.
        {IDS_STATUS_COPYING, Big5(Repeat("功", 200)), "", "複製檔案 " + Repeat("功", 123)},
        // 16 bytes before, one byte left over: 功 does not fit into it.
        {IDS_CANNOT_CREATE_FILE, "C:\\" + Big5(Repeat("功", 200)), "", "無法建立檔案 C:\\" + Repeat("功", 119)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.substr(0, 30));
        wchar_t text[kTextCapacity];
        FormatMessageText(text, kTextCapacity, c.id, c.arg1.c_str(), c.arg2.c_str());
        EXPECT_EQ(std::wstring(text), Wide(c.expected));
    }
}

TEST_F(Messages, WarningAndPlainBoxesCarryTheCaption) {
    std::vector<shelltest::Shown> seen;
    shelltest::RespondToDialogs(
        [] {
            ShowWarning(nullptr, IDS_CANNOT_CREATE_FILE, "C:\\X.TTF");
            ShowBox(nullptr, Big5("楷書已存在").c_str());
        },
        {shelltest::Answer(&seen, IDOK), shelltest::Answer(&seen, IDOK)});
    ASSERT_EQ(seen.size(), 2u);
    for (const auto& box : seen) EXPECT_EQ(box.caption, L"HalvexSorvel字型Win 95'安裝程式");
    EXPECT_EQ(seen[0].text, L"無法建立檔案 C:\\X.TTF !");
    EXPECT_EQ(seen[1].text, L"楷書已存在");
}

TEST_F(Messages, CaptionFallsBackToEnglishWithoutTheStringTable) {
    LoadCaption(GetModuleHandleW(L"kernel32.dll"));
    EXPECT_STREQ(g_shell.caption, L"VexaLab TT Font Installer");
}

}  // namespace
