// The built Orvane.exe, started as its own process from a disc folder with
// stand-in setup programs beside it, driven by window class, title and
// control id: which setup program OK starts, with which current directory,
// and that Cancel, Escape and a missing setup program start nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "dialog_watch.h"
#include "scratch_dir.h"
#include "text_files.h"

namespace {

std::wstring Wide(const std::string& ansi) { return vexatest::Widen(ansi, CP_ACP); }

bool IsChooser(HWND window) {
    return vexatest::HasClass(window, L"#32770") && vexatest::WindowText(window) == L"QUORLAN INSTALLER";
}

// A disc folder: Orvane.exe and, unless left out, the three products'
// stand-in Setup.exe; a separate folder to start the chooser from; and the
// file that the stand-ins record their starts in.
class Disc {
public:
    explicit Disc(const std::vector<std::wstring>& products) {
        directory_ = Wide(scratch_.MakeDir("disc"));
        startDirectory_ = Wide(scratch_.MakeDir("started from"));
        record_ = Wide(scratch_ / "record.txt");
        EXPECT_TRUE(CopyFileW(vexatest::WinePath(ORVANE_EXE).c_str(), (directory_ + L"\\Orvane.exe").c_str(), FALSE));
        for (const std::wstring& product : products) {
            std::wstring sub = directory_ + L"\\" + product;
            EXPECT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
            EXPECT_TRUE(
                CopyFileW(vexatest::WinePath(STANDIN_SETUP_EXE).c_str(), (sub + L"\\Setup.exe").c_str(), FALSE));
        }
        SetEnvironmentVariableW(L"VEXA_SETUP_RECORD", record_.c_str());
    }
    ~Disc() { SetEnvironmentVariableW(L"VEXA_SETUP_RECORD", nullptr); }

    const std::wstring& directory() const { return directory_; }
    const std::wstring& startDirectory() const { return startDirectory_; }

    // Starts the chooser and waits for its window.
    HWND Start() {
        if (!process_.Start(L"\"" + directory_ + L"\\Orvane.exe\"", startDirectory_)) {
            ADD_FAILURE() << "could not start Orvane.exe: error " << process_.error();
            return nullptr;
        }
        // The window is driven only once the chooser waits for input: its
        // dialog is then initialised and its modal loop runs.
        DWORD startTime = GetTickCount();
        DWORD idle = WaitForInputIdle(process_.handle(), 15000);
        DWORD waited = GetTickCount() - startTime;
        HWND found = process_.WaitForWindow(IsChooser, waited < 15000 ? 15000 - waited : 0);
        if (found == nullptr)
            ADD_FAILURE() << "no chooser window after " << GetTickCount() - startTime << " ms (input idle: " << idle
                          << ", still running: " << !process_.WaitForExit(0) << ")";
        return found;
    }

    // Waits for the chooser to end, with exit code 0.
    testing::AssertionResult WaitForExit() {
        DWORD startTime = GetTickCount();
        std::optional<DWORD> code = process_.WaitForExit(15000);
        if (!code)
            return testing::AssertionFailure()
                   << "the chooser still runs after " << GetTickCount() - startTime << " ms";
        if (*code != 0) return testing::AssertionFailure() << "the chooser ended with code " << *code;
        return testing::AssertionSuccess();
    }

    // The stand-ins' records: waits up to `milliseconds` for the first.
    std::vector<std::vector<std::wstring>> Records(DWORD milliseconds) {
        std::string bytes;
        for (DWORD waited = 0; waited <= milliseconds; waited += 50) {
            if (vexatest::ReadBytes(scratch_ / "record.txt", &bytes) && !bytes.empty() && bytes.back() == '\n') break;
            bytes.clear();
            Sleep(50);
        }
        std::vector<std::vector<std::wstring>> records;
        std::wstring text = vexatest::Widen(bytes, CP_UTF8);
        size_t start = 0;
        for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
            std::vector<std::wstring> fields;
            std::wstring line = text.substr(start, end - start);
            size_t from = 0;
            for (size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
                fields.push_back(line.substr(from, tab - from));
            fields.push_back(line.substr(from));
            records.push_back(fields);
        }
        return records;
    }

private:
    vexatest::ScratchDir scratch_;
    std::wstring directory_, startDirectory_, record_;
    vexatest::ChildProcess process_;
};

void Click(HWND chooser, int id) { SendMessageW(GetDlgItem(chooser, id), BM_CLICK, 0, 0); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

const std::vector<std::wstring> kAllProducts = {L"KavroMini", L"Selvo", L"Kavro"};

}  // namespace

TEST(ChooserDispatch, OkStartsTheChosenProductsSetupInTheChoosersCurrentDirectory) {
    struct Case {
        std::vector<int> clicks;
        const wchar_t* product;
    };
    const Case cases[] = {
        {{1003}, L"Kavro"},
        {{1001, 1004}, L"Selvo"},
        {{1000}, L"KavroMini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "last choice " << c.clicks.back());
        Disc disc(kAllProducts);
        HWND chooser = disc.Start();
        ASSERT_NE(chooser, nullptr);
        for (int id : c.clicks) Click(chooser, id);
        Click(chooser, IDOK);
        EXPECT_TRUE(disc.WaitForExit());

        auto records = disc.Records(15000);
        ASSERT_EQ(records.size(), 1u);
        ASSERT_GE(records[0].size(), 2u);
        std::wstring expected = disc.directory() + L"\\" + c.product + L"\\Setup.exe";
        EXPECT_TRUE(SamePath(records[0][0], expected)) << records[0][0].size();
        EXPECT_TRUE(SamePath(records[0][1], disc.startDirectory()));
    }
}

TEST(ChooserDispatch, CancelAndEscapeStartNothing) {
    struct Case {
        const char* name;
        int choice;  // 0: none
        bool escape;
    };
    const Case cases[] = {
        {"Cancel", 0, false},
        {"Cancel after a choice", 1003, false},
        {"Escape after a choice", 1000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Disc disc(kAllProducts);
        HWND chooser = disc.Start();
        ASSERT_NE(chooser, nullptr);
        if (c.choice != 0) Click(chooser, c.choice);
        if (c.escape)
            PostMessageW(chooser, WM_KEYDOWN, VK_ESCAPE, 0);
        else
            Click(chooser, IDCANCEL);
        EXPECT_TRUE(disc.WaitForExit());
        EXPECT_TRUE(disc.Records(2000).empty());
    }
}

TEST(ChooserDispatch, MissingSetupProgramClosesWithoutAMessage) {
    Disc disc({L"KavroMini", L"Selvo"});
    HWND chooser = disc.Start();
    ASSERT_NE(chooser, nullptr);
    Click(chooser, 1003);
    Click(chooser, IDOK);
    // A message box would keep the chooser's process alive.
    EXPECT_TRUE(disc.WaitForExit());
    EXPECT_TRUE(disc.Records(1000).empty());
}
