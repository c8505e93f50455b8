// The folder that becomes the disc: every folder and file below its root,
// named by paths relative to the root, in the system's ANSI code page (as
// the disc's programs name them).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vexacheck {

class DiscTree {
public:
    // Lists `folder` and everything below it. False, with the reason in
    // `why`, when the folder cannot be read at all.
    bool Read(const char* folder, std::string* why);

    // The root's full path; a drive's root as "D:".
    const std::string& root() const { return root_; }
    // Folders, the root first as "", and files, relative to the root.
    const std::vector<std::string>& folders() const { return folders_; }
    const std::vector<std::string>& files() const { return files_; }

    // The full path of a relative one ("" is the root itself).
    std::string Full(const std::string& relative) const;
    // The relative path of a full one below the root (unchanged otherwise).
    std::string Relative(const std::string& full) const;
    // The listed file whose relative path is `relative` without regard to
    // letter case, or nullptr.
    const std::string* FindFile(const std::string& relative) const;
    // The listed files named `name` (the last part of the path) without
    // regard to letter case.
    std::vector<std::string> FilesNamed(const char* name) const;

private:
    bool List(const std::string& relative, int depth);

    std::string root_;
    std::vector<std::string> folders_;
    std::vector<std::string> files_;
};

// What follows the last backslash (walked a character at a time), or the
// whole path; and the folder before it ("" when there is none).
std::string NamePart(const std::string& path);
std::string FolderPart(const std::string& path);
// a + "\" + b; either alone when the other is empty.
std::string JoinRelative(const std::string& a, const std::string& b);

// Whether two files hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b);

}  // namespace vexacheck
