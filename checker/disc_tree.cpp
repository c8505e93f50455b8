#include "disc_tree.h"

#include <algorithm>
#include <memory>

namespace vexacheck {

namespace {

// Bounds for a tree that is no disc at all (a whole drive by mistake, a
// link that leads back up): what a CD could hold, and then some.
constexpr int kMaxDepth = 16;
constexpr size_t kMaxEntries = 100000;

// The last backslash that is a character of its own, or npos.
size_t LastBackslashAt(const std::string& path) {
    size_t last = std::string::npos;
    for (const char* p = path.c_str(); *p; p = CharNextA(p))
        if (*p == '\\') last = static_cast<size_t>(p - path.c_str());
    return last;
}

bool IsDots(const char* name) { return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0; }

}  // namespace

std::string NamePart(const std::string& path) {
    size_t last = LastBackslashAt(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string FolderPart(const std::string& path) {
    size_t last = LastBackslashAt(path);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string JoinRelative(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + "\\" + b;
}

bool DiscTree::Read(const char* folder, std::string* why) {
    root_.clear();
    folders_.clear();
    files_.clear();
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(folder, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) {
        *why = "not a path this system can use";
        return false;
    }
    DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *why = "no such folder";
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *why = "a file, not a folder";
        return false;
    }
    root_ = full;
    // One trailing backslash goes ("D:\" stays "D:", joined with one again).
    if (LastBackslashAt(root_) == root_.size() - 1) root_.pop_back();
    if (!List("", 0)) {
        *why = "its contents cannot be listed";
        return false;
    }
    std::sort(folders_.begin(), folders_.end());
    std::sort(files_.begin(), files_.end());
    return true;
}

bool DiscTree::List(const std::string& relative, int depth) {
    folders_.push_back(relative);
    WIN32_FIND_DATAA found;
    std::string pattern = Full(relative);
    pattern += LastBackslashAt(pattern) == pattern.size() - 1 ? "*" : "\\*";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (IsDots(found.cFileName)) continue;
        if (folders_.size() + files_.size() >= kMaxEntries) break;
        std::string path = JoinRelative(relative, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth < kMaxDepth) List(path, depth + 1);
        } else {
            files_.push_back(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

std::string DiscTree::Full(const std::string& relative) const {
    if (!relative.empty()) return root_ + "\\" + relative;
    // "D:" alone would be the drive's current folder.
    if (root_.size() == 2 && root_[1] == ':') return root_ + "\\";
    return root_;
}

std::string DiscTree::Relative(const std::string& full) const {
    if (full.size() > root_.size() &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, full.c_str(), static_cast<int>(root_.size()), root_.c_str(),
                       static_cast<int>(root_.size())) == CSTR_EQUAL &&
        full[root_.size()] == '\\')
        return full.substr(root_.size() + 1);
    return full;
}

const std::string* DiscTree::FindFile(const std::string& relative) const {
    for (const std::string& file : files_)
        if (lstrcmpiA(file.c_str(), relative.c_str()) == 0) return &file;
    return nullptr;
}

std::vector<std::string> DiscTree::FilesNamed(const char* name) const {
    std::vector<std::string> named;
    for (const std::string& file : files_)
        if (lstrcmpiA(NamePart(file).c_str(), name) == 0) named.push_back(file);
    return named;
}

bool SameBytes(const std::string& a, const std::string& b) {
    HANDLE fa = CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE fb = CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool same = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE;
    LARGE_INTEGER sa, sb;
    if (same) same = GetFileSizeEx(fa, &sa) && GetFileSizeEx(fb, &sb) && sa.QuadPart == sb.QuadPart;
    constexpr DWORD kChunk = 65536;
    std::unique_ptr<char[]> ba(new char[kChunk]), bb(new char[kChunk]);
    while (same) {
        DWORD ra = 0, rb = 0;
        if (!ReadFile(fa, ba.get(), kChunk, &ra, nullptr) || !ReadFile(fb, bb.get(), kChunk, &rb, nullptr) ||
            ra != rb) {
            same = false;
            break;
        }
        if (ra == 0) break;
        same = std::equal(ba.get(), ba.get() + ra, bb.get());
    }
    if (fa != INVALID_HANDLE_VALUE) CloseHandle(fa);
    if (fb != INVALID_HANDLE_VALUE) CloseHandle(fb);
    return same;
}

}  // namespace vexacheck
