// Fault injection at the platform's edge: while an ImportHook lives, one
// function that this test program imports from a DLL (its entry in the
// program's import table) is replaced, so that a test can make the platform
// fail where the machine it runs on never would (a full disk, a registry key
// taken away by another program) and see what the code under test does.
#pragma once

namespace vexatest {

class ImportHook {
public:
    // dll and function as the program imports them ("KERNEL32.dll", "_lwrite");
    // a null replacement leaves the import as it is.
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    // False when the program does not import the function (nothing replaced).
    bool installed() const { return slot_ != nullptr; }
    // The real function, for a replacement that calls through.
    void* original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace vexatest
