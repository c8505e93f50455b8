// Messages as the user reads them: arguments in their places, and a text
// longer than 255 bytes cut at a whole Big5 character.
#include <gtest/gtest.h>

#include <string>

#include "message_ids.h"
#include "messages.h"
#include "text_files.h"

using namespace tarsik;

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string result;
    while (times-- > 0) result += text;
    return result;
}

TEST(Messages, ArgumentsTakeTheirPlacesAndLongTextsEndAtAWholeCharacter) {
    ASSERT_EQ(GetACP(), 950u);
    g_shell.instance = GetModuleHandleW(nullptr);
    using vexatest::Big5;
    struct Case {
        int id;
        std::string arg1, arg2, expected;  // arguments in Big5, the text in UTF-8
    };
    const Case cases[] = {
        {IDS_CANNOT_CREATE_FILE, "C:\\FONTS\\KAIM.TTF", "", "無法建立檔案 C:\\FONTS\\KAIM.TTF !"},
        {IDS_INSERT_DISK, Big5("第二片"), "KAIM.TT2", "請放入 第二片 或將含有 KAIM.TT2 之磁片放入..."},
        {IDS_STATUS_IDLE, "", "", "請選擇安裝之項目。"},
        // 9 bytes before the name leave room for 123 characters of 功.
        {IDS_STATUS_COPYING, Big5(Repeat("功", 200)), "", "複製檔案 " + Repeat("功", 123)},
        // 16 bytes before it: the last byte left over takes no 功.
        {IDS_CANNOT_CREATE_FILE, "C:\\" + Big5(Repeat("功", 200)), "", "無法建立檔案 C:\\" + Repeat("功", 119)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.substr(0, 30));
        wchar_t text[kTextCapacity];
        FormatMessageText(text, kTextCapacity, c.id, c.arg1.c_str(), c.arg2.c_str());
        char utf8[1024];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
        EXPECT_EQ(std::string(utf8), c.expected);
    }
}

}  // namespace
