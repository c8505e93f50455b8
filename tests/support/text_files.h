// Writing and reading test files byte for byte, and INI files in a given
// code page (test sources are UTF-8; a script on a disc is in the ANSI code
// page of its market).
#pragma once
#include <string>

namespace vexatest {

// Converts UTF-8 text to the bytes of a code page (950, 936, 932, ...).
std::string FromUtf8(const std::string& utf8, unsigned codePage);
// Converts bytes of a code page to UTF-8.
std::string ToUtf8(const std::string& bytes, unsigned codePage);
// The installer's own texts: UTF-8 as Big5 (code page 950) bytes.
std::string Big5(const std::string& utf8);

// Bytes of a code page (CP_ACP: the system's) as UTF-16.
std::wstring Widen(const std::string& bytes, unsigned codePage);

// The ANSI code page that the test's locale selects: VEXA_LOCALE as CTest
// sets it (en_US.UTF-8 when unset, as for Wine): 950, 936, 932, 949 or
// 1252; 0 for any other locale.
unsigned LocaleCodePage();

// Whether the system's ANSI code page is the one the test's locale selects:
// a suite registered once per code page checks that the locale took.
bool RunsUnderLocaleCodePage();

bool WriteBytes(const std::string& path, const std::string& bytes);
bool ReadBytes(const std::string& path, std::string* bytes);
// The bytes of a file; empty, and the test failed, when it cannot be read.
std::string FileBytes(const std::string& path);
bool FileExists(const std::string& path);
// A file the build made for the tests (the directory VEXA_TEST_DATA names,
// seen through Wine's Z: drive), and its bytes; DataBytes throws when the
// file cannot be read.
std::string DataFile(const char* name);
std::string DataBytes(const char* name);

// Writes text given in UTF-8 as the bytes of a code page, lines ending in
// CR LF (as an INI file on a disc has them).
bool WriteTextFile(const std::string& path, const std::string& utf8, unsigned codePage);

}  // namespace vexatest
