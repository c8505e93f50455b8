// The installer's command line as an administrator types it: switches in
// any letter case, values in quotes, Big5 paths whose second bytes are 0x5C.
#include <gtest/gtest.h>

#include <string>

#include "command_line.h"
#include "text_files.h"

namespace {

TEST(CommandLine, ReadsTheSwitchesAndNamesTheFirstArgumentNotUnderstood) {
    using vexatest::Big5;
    struct Case {
        std::string arguments;  // system code page (950)
        int understood, silent;
        std::string logPath, destination, firstUnknown;
    };
    const Case cases[] = {
        {"", 1, 0, "", "", ""},
        {"  /s\t/Log=C:\\logs\\fonts.log  ", 1, 1, "C:\\logs\\fonts.log", "", ""},
        {"\"/LOG=C:\\My Logs\\a.log\" /D=\"D:\\Font Dir\" /S", 1, 1, "C:\\My Logs\\a.log", "D:\\Font Dir", ""},
        // The quote after 功 (A5 5C) closes the value: no escape.
        {"/D=\"C:\\" + Big5("字型功") + "\" /S", 1, 1, "", "C:\\" + Big5("字型功"), ""},
        {"/S /SILENT /Q", 0, 1, "", "", "/SILENT"},
        {"-s /log=a /LOG=b", 0, 1, "a", "", "/LOG=b"},  // the second one is not taken
        {"/S/LOG=x", 0, 0, "", "", "/S/LOG=x"},
        {"/S /LOG= /D=x", 0, 1, "", "x", "/LOG="},
        {"/S /D=C:\\" + std::string(300, 'a'), 0, 1, "", "", "/D=C:\\" + std::string(253, 'a')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.substr(0, 40));
        tarsik::CommandLine line;
        EXPECT_EQ(tarsik::ParseCommandLine(c.arguments.c_str(), &line), c.understood);
        EXPECT_EQ(line.silent, c.silent);
        EXPECT_EQ(line.logPath, c.logPath);
        EXPECT_EQ(line.destination, c.destination);
        EXPECT_EQ(line.firstUnknown, c.firstUnknown);
    }
}

}  // namespace
