#include "font_checks.h"

#include <cstring>
#include <stdexcept>

namespace vexatest {

namespace {

void ReplaceAll(std::string* bytes, const std::string& from, const std::string& to) {
    for (size_t at = bytes->find(from); at != std::string::npos; at = bytes->find(from, at + to.size()))
        bytes->replace(at, from.size(), to);
}

std::string Utf16Be(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) {
        wide += '\0';
        wide += c;
    }
    return wide;
}

int CALLBACK NoteFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

}  // namespace

std::string RenamedFace(const std::string& dejaVuSans, const char* face) {
    const std::string from = "DejaVu Sans";
    if (std::strlen(face) != from.size()) throw std::invalid_argument("the new face must keep the old one's length");
    std::string bytes = dejaVuSans;
    if (bytes.find(Utf16Be(from)) == std::string::npos)
        throw std::runtime_error("no \"DejaVu Sans\" in the font's name table");
    ReplaceAll(&bytes, from, face);
    ReplaceAll(&bytes, Utf16Be(from), Utf16Be(face));
    return bytes;
}

bool FaceEnumerated(const char* face) {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) throw std::runtime_error("no device context");
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);
    bool enumerated = false;
    EnumFontFamiliesExA(dc, &wanted, NoteFace, reinterpret_cast<LPARAM>(&enumerated), 0);
    DeleteDC(dc);
    return enumerated;
}

bool FaceAvailable(const char* face) {
    const bool enumerated = FaceEnumerated(face);
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) throw std::runtime_error("no device context");
    LOGFONTA wanted = {};
    lstrcpynA(wanted.lfFaceName, face, LF_FACESIZE);

    // The font has no Big5 characters: asked for with the default (Big5)
    // character set, the mapper would rightly pick another face.
    wanted.lfCharSet = ANSI_CHARSET;
    // Wine keeps the fonts it has realised, keyed by their LOGFONT, across an
    // AddFontResource: a new height each time asks the mapper afresh.
    static int height = 16;
    wanted.lfHeight = -(height++);
    HFONT font = CreateFontIndirectA(&wanted);
    HGDIOBJ old = SelectObject(dc, font);
    char selected[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof selected, selected);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return enumerated && std::strcmp(selected, face) == 0;
}

FontChangeCounter::FontChangeCounter() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VexaTestFontChange";
    RegisterClassA(&windowClass);  // already registered by an earlier counter: fine
    window_ = CreateWindowExA(0, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              windowClass.hInstance, this);
    if (!window_) throw std::runtime_error("cannot create the counting window");
}

FontChangeCounter::~FontChangeCounter() { DestroyWindow(window_); }

LRESULT CALLBACK FontChangeCounter::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_FONTCHANGE) {
        // The test's own broadcast reaches this window of its own thread as a
        // direct call; one sent by another program (another test running at
        // the same time) comes in from another thread and is not counted.
        auto* counter = reinterpret_cast<FontChangeCounter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (counter && !InSendMessage()) ++counter->count_;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vexatest
