#include "text_files.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <gtest/gtest.h>

namespace vexatest {

std::wstring Widen(const std::string& bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return wide;
}

namespace {

std::string Narrow(const std::wstring& wide, unsigned codePage) {
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::string FromUtf8(const std::string& utf8, unsigned codePage) { return Narrow(Widen(utf8, CP_UTF8), codePage); }

std::string ToUtf8(const std::string& bytes, unsigned codePage) { return Narrow(Widen(bytes, codePage), CP_UTF8); }

std::string Big5(const std::string& utf8) { return FromUtf8(utf8, 950); }

unsigned LocaleCodePage() {
    const char* locale = std::getenv("VEXA_LOCALE");
    const std::string name = locale != nullptr && locale[0] != '\0' ? locale : "en_US.UTF-8";
    const struct {
        const char* locale;
        unsigned codePage;
    } known[] = {
        {"zh_TW.UTF-8", 950}, {"zh_CN.UTF-8", 936}, {"ja_JP.UTF-8", 932}, {"ko_KR.UTF-8", 949}, {"en_US.UTF-8", 1252}};
    for (const auto& k : known)
        if (name == k.locale) return k.codePage;
    return 0;
}

bool RunsUnderLocaleCodePage() { return LocaleCodePage() != 0 && GetACP() == LocaleCodePage(); }

std::string DataFile(const char* name) {
    const char* dir = std::getenv("VEXA_TEST_DATA");
    std::string path = std::string("Z:") + (dir ? dir : "/nonexistent");
    std::replace(path.begin(), path.end(), '/', '\\');
    return path + "\\" + name;
}

std::string DataBytes(const char* name) {
    std::string bytes;
    if (!ReadBytes(DataFile(name), &bytes)) throw std::runtime_error("no test data " + DataFile(name));
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadBytes(const std::string& path, std::string* bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes->clear();
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes->append(chunk, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

std::string FileBytes(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadBytes(path, &bytes)) << "cannot read " << path;
    return bytes;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteTextFile(const std::string& path, const std::string& utf8, unsigned codePage) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return WriteBytes(path, FromUtf8(crlf, codePage));
}

}  // namespace vexatest
