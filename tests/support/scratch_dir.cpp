#include "scratch_dir.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

namespace vexatest {

ScratchDir::ScratchDir() {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) throw std::runtime_error("no temporary directory");
    std::string base(temp, n);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    static unsigned serial = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "\\vexatest-%lu-%u-%lu", GetCurrentProcessId(), ++serial,
                      static_cast<unsigned long>(GetTickCount()));
        std::string candidate = base + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

std::string ScratchDir::operator/(const std::string& name) const { return path_ + "\\" + name; }

std::string ScratchDir::MakeDir(const std::string& name) const {
    std::string dir = *this / name;
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

bool RemoveTree(const std::string& path) {
    if (path.empty()) return false;
    bool ok = true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(full) && ok;
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileA(full.c_str()) && ok;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(path.c_str()) && ok;
}

}  // namespace vexatest
