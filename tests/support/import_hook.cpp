#include "import_hook.h"

#include <windows.h>

namespace vexatest {

namespace {

void Patch(void** slot, void* value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

ImportHook::ImportHook(const char* dll, const char* function, void* replacement) {
    if (!replacement) return;
    HMODULE library = GetModuleHandleA(dll);
    void* target = library ? reinterpret_cast<void*>(GetProcAddress(library, function)) : nullptr;
    if (!target) return;
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return;
    // The loader has put each imported function's address into the table:
    // the entry that holds the target is the one every call goes through.
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        for (auto* thunk = reinterpret_cast<void**>(base + entry->FirstThunk); *thunk; ++thunk) {
            if (*thunk != target) continue;
            slot_ = thunk;
            original_ = target;
            Patch(slot_, replacement);
            return;
        }
    }
}

ImportHook::~ImportHook() {
    if (slot_) Patch(slot_, original_);
}

}  // namespace vexatest
