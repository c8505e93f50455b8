// A directory of its own for one test, removed with everything in it when
// the test ends.
#pragma once
#include <functional>
#include <string>
#include <utility>

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

// Runs an action when it goes out of scope, also when a failed assertion ends
// the test early: the cleanup of what a test makes outside its scratch
// directory (a file in the Windows directory, a font in the font table).
class AtScopeExit {
public:
    explicit AtScopeExit(std::function<void()> action) : action_(std::move(action)) {}
    ~AtScopeExit() { action_(); }
    AtScopeExit(const AtScopeExit&) = delete;
    AtScopeExit& operator=(const AtScopeExit&) = delete;

private:
    std::function<void()> action_;
};

}  // namespace vexatest
