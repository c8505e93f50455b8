// Times how long programs take from the start of their process to their
// window on the screen: shown (a visible top-level window of the process)
// and painted (the process has then gone idle for the first time, which it
// does only when no message, paint included, is left for it). The first
// program named is the yardstick; each other one's median is printed with
// its ratio to the yardstick, all measured in the same run, in turns. The
// ratio is the median of the round-by-round ratios (a program's time over
// the yardstick's in the same round), so that a stretch of load on the
// machine weighs on both sides of each ratio alike.
//
// Usage: startup_benchmark RUNS NAME PROGRAM [NAME PROGRAM ...]
// The ratio of the painted window is the one measured against the bound. A
// NAME that begins with "ref:" names a reference, not held to the bound: the
// programs after it (up to the next reference) also get their ratio to it.
// Each PROGRAM (a Windows path) starts in its own directory, with no
// arguments; its window is closed (WM_CLOSE) after each run. One warm-up
// round comes first and is not counted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// How much longer than the yardstick a program may take to show its window.
constexpr double kBound = 1.3;

struct Program {
    std::wstring name, path, directory;
    bool reference;
    std::vector<double> shown, painted;  // milliseconds of each run
};

struct Times {
    double shown = -1, painted = -1;
};

struct Search {
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

double Since(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start of `program`: milliseconds to its window shown, and painted;
// negative when it never showed one.
Times TimeOneStart(const Program& program) {
    std::wstring commandLine = L"\"" + program.path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        program.directory.c_str(), &startup, &process)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", program.path.c_str(), GetLastError());
        return {};
    }
    Search search = {nullptr};
    Times times;
    while (Since(start) < 30000) {
        // Only the windows of the program's one thread: a look at every
        // window of the desktop each millisecond would keep the Wine server
        // busy, and slow down the very start it measures.
        EnumThreadWindows(process.dwThreadId, FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) break;
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    if (search.found != nullptr) {
        times.shown = Since(start);
        if (WaitForInputIdle(process.hProcess, 30000) == 0) times.painted = Since(start);
    }
    if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        std::fwprintf(stderr, L"%ls did not close; ended\n", program.name.c_str());
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (times.painted < 0) std::fwprintf(stderr, L"%ls showed no window\n", program.name.c_str());
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median over the rounds of times[round] / yardstick[round].
double MedianRatio(const std::vector<double>& times, const std::vector<double>& yardstick) {
    std::vector<double> ratios;
    for (size_t round = 0; round < times.size() && round < yardstick.size(); ++round)
        ratios.push_back(times[round] / yardstick[round]);
    return Median(ratios);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fwprintf(stderr, L"usage: startup_benchmark RUNS NAME PROGRAM [NAME PROGRAM ...]\n");
        return 2;
    }
    int runs = _wtoi(argv[1]);
    if (runs < 1) runs = 1;
    std::vector<Program> programs;
    for (int i = 2; i + 1 < argc; i += 2) {
        wchar_t full[MAX_PATH];
        DWORD length = GetFullPathNameW(argv[i + 1], MAX_PATH, full, nullptr);
        if (length == 0 || length >= MAX_PATH) {
            std::fwprintf(stderr, L"bad path %ls\n", argv[i + 1]);
            return 2;
        }
        std::wstring path = full, name = argv[i];
        const bool reference = name.rfind(L"ref:", 0) == 0;
        if (reference) name.erase(0, 4);
        programs.push_back({name, path, path.substr(0, path.find_last_of(L'\\')), reference, {}, {}});
    }

    // Round 0 warms the caches up; in every round each program starts once,
    // the first one of the round turning, so that none always follows the
    // same other.
    for (int round = 0; round <= runs; ++round) {
        for (size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[(k + static_cast<size_t>(round)) % programs.size()];
            Times times = TimeOneStart(program);
            if (times.painted < 0) return 1;
            if (round == 0) continue;
            program.shown.push_back(times.shown);
            program.painted.push_back(times.painted);
            Sleep(100);
        }
    }

    std::wprintf(L"start-up, from the start of the process to its window (median of %d runs; ratio to %ls, median "
                 L"of the rounds' ratios):\n",
                 runs, programs[0].name.c_str());
    std::wprintf(L"  %-28ls %16ls %26ls\n", L"", L"shown", L"shown and painted");
    const Program* reference = nullptr;
    for (const Program& program : programs) {
        const double shown = Median(program.shown);
        const double painted = Median(program.painted);
        std::wprintf(L"  %-28ls %8.1f ms", program.name.c_str(), shown);
        if (&program != &programs[0]) std::wprintf(L"  %4.2f", MedianRatio(program.shown, programs[0].shown));
        else std::wprintf(L"      ");
        std::wprintf(L"   %8.1f ms", painted);
        if (&program != &programs[0]) {
            const double ratio = MedianRatio(program.painted, programs[0].painted);
            std::wprintf(L"  ratio %4.2f", ratio);
            if (program.reference) std::wprintf(L" (reference)");
            else std::wprintf(L" (%ls %.1f)", ratio <= kBound ? L"within" : L"OVER", kBound);
            if (!program.reference && reference != nullptr)
                std::wprintf(L", %4.2f of %ls", MedianRatio(program.painted, reference->painted), reference->name.c_str());
        }
        if (program.reference) reference = &program;
        std::wprintf(L"\n");
    }
    return 0;
}
