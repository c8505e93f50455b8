// A directory of its own for one test, removed with everything in it when
// the test ends.
#pragma once
#include <string>

namespace vexatest {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Full path, without a trailing backslash.
    const std::string& path() const { return path_; }
    // path() + "\" + name.
    std::string operator/(const std::string& name) const;
    // Creates a sub-directory (one level) and returns its full path.
    std::string MakeDir(const std::string& name) const;

private:
    std::string path_;
};

// Deletes a directory tree; returns false when something could not go.
bool RemoveTree(const std::string& path);

}  // namespace vexatest
