#include "eudc_support.h"

#include "box_text.h"
#include "user_interface.h"

namespace tarsik {

namespace {

constexpr char kDefaultEudcLibrary[] = "GDI32.DLL";

const char* g_eudcLibrary = kDefaultEudcLibrary;

using EnableEudcProc = BOOL(WINAPI*)(BOOL);

}  // namespace

void SetEudcLibrary(const char* libraryName) { g_eudcLibrary = libraryName ? libraryName : kDefaultEudcLibrary; }

void SetEudcEnabled(HWND owner, int flag) {
    HMODULE library = LoadLibraryA(g_eudcLibrary);
    if (!library) {
        ShowFormattedBox(owner, "%s", "LoadLibrary Failed");
        return;
    }
    auto enable = reinterpret_cast<EnableEudcProc>(reinterpret_cast<void*>(GetProcAddress(library, "EnableEUDC")));
    if (!enable)
        ShowFormattedBox(owner, "%s", "GetProcAddress Failed");
    else
        enable(flag ? TRUE : FALSE);
    FreeLibrary(library);
}

}  // namespace tarsik
