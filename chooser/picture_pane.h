// A child window that shows one bitmap stretched to its client area, with
// white (0xFFFFFF) keyed out so that whatever the parent painted beneath the
// pane shows through. The pane class has no background brush: nothing erases
// the pane before it paints.
#pragma once
#include <windows.h>

namespace orvane {

class PicturePane {
public:
    PicturePane() = default;
    ~PicturePane();
    PicturePane(const PicturePane&) = delete;
    PicturePane& operator=(const PicturePane&) = delete;

    // Loads bitmap resource `id` (only its low 16 bits count) as the picture.
    // Call before Create; returns false when the bitmap could not be loaded.
    bool SetPicture(HINSTANCE instance, UINT id);

    // Creates the pane as a visible child of `parent` in `rect` (parent client
    // coordinates), named `name` for screen readers (never drawn), a group of
    // its own so that the arrow keys of the dialog's controls never reach it.
    // Returns the window, or nullptr on failure.
    HWND Create(HINSTANCE instance, HWND parent, const RECT& rect, const wchar_t* name);

    HWND hwnd() const { return hwnd_; }

    static const wchar_t kClassName[];

private:
    static bool RegisterPaneClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    void OnDestroy();

    HWND hwnd_ = nullptr;
    HBITMAP picture_ = nullptr;
    HDC memoryDc_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};

}  // namespace orvane
