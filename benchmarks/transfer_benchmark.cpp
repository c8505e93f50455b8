// Times TransferFileGroup against the platform doing the same work directly:
//   - a 64 MiB plain file in 3 pieces against CopyFileA of the joined file;
//   - a compressed single piece, and the same compressed file cut into 3
//     pieces, against one LZCopy of the whole compressed file.
// Each case runs several times (the two sides alternating) and the medians
// are compared. Every destination is checked against the expected bytes
// once, so a fast wrong answer cannot pass for a result.
//
// Usage: transfer_benchmark <compressed file> <its expansion> [repeats]
// (Unix paths are taken as paths on Wine's Z: drive).
#include <windows.h>

#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "file_transfer.h"
#include "install_script.h"
#include "install_session.h"

using namespace tarsik;

namespace {

// The transfer's shell: silent; a prompt for a missing piece means the
// benchmark itself is broken.
class SilentUi : public InstallerUi {
public:
    int problems = 0;
    void ShowWarning(HWND, int id, const char*, const char*) override {
        std::fprintf(stderr, "warning %d\n", id);
        ++problems;
    }
    void ShowBox(HWND, const wchar_t* text) override {
        std::fprintf(stderr, "box: %ls\n", text);
        ++problems;
    }
    void ShowSpaceBox(HWND, const char*) override { ++problems; }
    void SetStatus(int, const char*) override {}
    void ClearStatus() override {}
    void SetBusyCursor(int) override {}
    int AskDestination(HWND, const char*) override { return 0; }
    HFILE DiskPrompt(HWND, const SourcePiece& piece, OpenMode) override {
        std::fprintf(stderr, "piece %s not found\n", piece.fileName);
        ++problems;
        return HFILE_ERROR;
    }
};

std::string WindowsPath(const char* path) {
    std::string result = path;
    if (!result.empty() && result[0] == '/') {
        std::replace(result.begin(), result.end(), '/', '\\');
        result = "Z:" + result;
    }
    return result;
}

bool ReadAll(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) != 0;
    if (ok) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes->empty() ||
             (ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()), &got, nullptr) && got == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

bool WriteAll(const std::string& path, const char* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &put, nullptr) && put == size);
    CloseHandle(file);
    return ok;
}

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Writes bytes as pieces named PIECE1.BIN.. into dir and adds them to the
// script's piece table as one group.
FileGroup AddPieces(const std::string& dir, const std::string& bytes, int count, int compressed, const char* first) {
    FileGroup group{g_installScript.piecesUsed, count, compressed};
    size_t from = 0;
    for (int i = 0; i < count; ++i) {
        // Uneven cuts at odd offsets, as a real disk set has them.
        size_t to = i == count - 1 ? bytes.size() : bytes.size() * (i + 1) / count + 12345 * (i + 1);
        SourcePiece& piece = g_installScript.pieces[g_installScript.piecesUsed++];
        if (i == 0)
            CopyText(piece.fileName, sizeof piece.fileName, first);
        else
            std::snprintf(piece.fileName, sizeof piece.fileName, "%s.%d", first, i + 1);
        CopyText(piece.diskLabel, sizeof piece.diskLabel, "Disk");
        if (!WriteAll(dir + "\\" + piece.fileName, bytes.data() + from, to - from)) {
            std::fprintf(stderr, "cannot write piece %s\n", piece.fileName);
            std::exit(1);
        }
        from = to;
    }
    return group;
}

struct Case {
    const char* label;
    const char* direct;
    std::vector<double> transfer, platform;
};

bool SameAs(const std::string& path, const std::string& expected) {
    std::string got;
    return ReadAll(path, &got) && got == expected;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: transfer_benchmark <compressed file> <its expansion> [repeats]\n");
        return 2;
    }
    std::string packedPath = WindowsPath(argv[1]);
    std::string expandedPath = WindowsPath(argv[2]);
    int repeats = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    std::string packed, expanded;
    if (!ReadAll(packedPath, &packed) || !ReadAll(expandedPath, &expanded)) {
        std::fprintf(stderr, "cannot read %s or %s\n", packedPath.c_str(), expandedPath.c_str());
        return 1;
    }

    // A private working directory, which also serves as the temporary
    // directory, so every tmp file of the transfer is seen and removed.
    char tempDir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof tempDir, tempDir);
    if (n == 0 || n >= sizeof tempDir) return 1;
    char work[MAX_PATH];
    std::snprintf(work, sizeof work, "%stransfer-benchmark-%lu", tempDir, GetCurrentProcessId());
    std::string media = std::string(work) + "\\media", out = std::string(work) + "\\out";
    if (!CreateDirectoryA(work, nullptr) || !CreateDirectoryA(media.c_str(), nullptr) ||
        !CreateDirectoryA(out.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot make %s\n", work);
        return 1;
    }
    SetEnvironmentVariableA("TMP", work);
    SetEnvironmentVariableA("TEMP", work);

    SilentUi ui;
    SetInstallerUi(&ui);
    std::memset(&g_installScript, 0, sizeof g_installScript);
    std::memset(&g_installSession, 0, sizeof g_installSession);
    CopyText(g_installSession.sourceDir, kPathCapacity, media.c_str());

    // 64 MiB of incompressible bytes.
    std::string plain(64u << 20, '\0');
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < plain.size(); i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::memcpy(&plain[i], &state, 8);
    }
    FileGroup plainGroup = AddPieces(media, plain, 3, 0, "PLAIN.BIN");
    std::string joined = media + "\\JOINED.BIN";
    WriteAll(joined, plain.data(), plain.size());
    FileGroup singleGroup = AddPieces(media, packed, 1, 1, "SINGLE.TT_");
    FileGroup splitGroup = AddPieces(media, packed, 3, 1, "SPLIT.TT_");
    std::string whole = media + "\\WHOLE.TT_";
    WriteAll(whole, packed.data(), packed.size());
    std::string plainCopy = out + "\\COPY.BIN", lzCopy = out + "\\LZCOPY.BIN";

    const TransferOptions options{.singlePieceReport = ReportStandard};
    char destPath[kPathCapacity];
    auto transfer = [&](const FileGroup& group) {
        double start = Now();
        TransferResult result = TransferFileGroup(nullptr, group, out.c_str(), options, destPath);
        double took = Now() - start;
        if (result != TransferDone) {
            std::fprintf(stderr, "transfer failed (%d)\n", result);
            std::exit(1);
        }
        return took;
    };
    auto copyFile = [&] {
        double start = Now();
        BOOL ok = CopyFileA(joined.c_str(), plainCopy.c_str(), FALSE);
        double took = Now() - start;
        if (!ok) std::exit(1);
        return took;
    };
    auto lzCopyWhole = [&] {
        double start = Now();
        OFSTRUCT sourceRecord, targetRecord;
        INT source = LZOpenFileA(const_cast<LPSTR>(whole.c_str()), &sourceRecord, OF_READ);
        HFILE target = OpenFile(lzCopy.c_str(), &targetRecord, OF_CREATE | OF_WRITE);
        LONG written = source < 0 || target == HFILE_ERROR ? -1 : LZCopy(source, target);
        if (source >= 0) LZClose(source);
        if (target != HFILE_ERROR) _lclose(target);
        double took = Now() - start;
        if (written < 0) std::exit(1);
        return took;
    };

    Case cases[] = {{"plain 64 MiB, 3 pieces", "CopyFileA", {}, {}},
                    {"compressed, 1 piece", "LZCopy", {}, {}},
                    {"compressed, 3 pieces", "LZCopy", {}, {}}};
    for (int round = 0; round < repeats; ++round) {
        // Alternate which side goes first, so neither always meets a warm cache.
        bool transferFirst = round % 2 == 0;
        for (int c = 0; c < 3; ++c) {
            const FileGroup& group = c == 0 ? plainGroup : c == 1 ? singleGroup : splitGroup;
            auto direct = [&] { return c == 0 ? copyFile() : lzCopyWhole(); };
            if (transferFirst) {
                cases[c].transfer.push_back(transfer(group));
                cases[c].platform.push_back(direct());
            } else {
                cases[c].platform.push_back(direct());
                cases[c].transfer.push_back(transfer(group));
            }
            if (round == 0) {
                const std::string& expected = c == 0 ? plain : expanded;
                bool good = SameAs(destPath, expected) && SameAs(c == 0 ? plainCopy : lzCopy, expected);
                if (!good) {
                    std::fprintf(stderr, "%s: destination differs from the expected bytes\n", cases[c].label);
                    return 1;
                }
            }
            DeleteFileA(destPath);
        }
    }

    std::printf("file transfer benchmark: %d runs each, medians; expanded size %zu bytes (%zu compressed)\n", repeats,
                expanded.size(), packed.size());
    for (const Case& c : cases) {
        double t = Median(c.transfer), p = Median(c.platform);
        std::printf("  %-24s TransferFileGroup %8.1f ms   %-9s %8.1f ms   ratio %.2f\n", c.label, t * 1000, c.direct,
                    p * 1000, t / p);
    }

    // Nothing of the transfer may be left in the temporary directory.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(work) + "\\~tarsik-*").c_str(), &found);
    int leftovers = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do ++leftovers;
        while (FindNextFileA(find, &found));
        FindClose(find);
    }
    for (const char* dir : {media.c_str(), out.c_str()}) {
        find = FindFirstFileA((std::string(dir) + "\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((std::string(dir) + "\\" + found.cFileName).c_str());
            while (FindNextFileA(find, &found));
            FindClose(find);
        }
        RemoveDirectoryA(dir);
    }
    RemoveDirectoryA(work);
    SetInstallerUi(nullptr);
    if (leftovers || ui.problems) {
        std::fprintf(stderr, "%d temporary files left, %d problems reported\n", leftovers, ui.problems);
        return 1;
    }
    return 0;
}
