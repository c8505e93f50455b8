#include "picture_dialog.h"

#include <cstdlib>

namespace velmora {

PictureDialog::PictureDialog(int templateId, HWND parent)
    : DialogBase(templateId, parent), hollowBrush_(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))) {}

bool PictureDialog::SetBackground(UINT bitmapId, int mode) {
    mode_ = mode;
    return image_.LoadBitmapResource(MAKEINTRESOURCEA(LOWORD(bitmapId)));
}

MessageResult PictureDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette();
    case WM_PALETTECHANGED:
        return OnPaletteChanged(reinterpret_cast<HWND>(wParam));
    default:
        return DialogBase::OnMessage(message, wParam, lParam);
    }
}

MessageResult PictureDialog::OnEraseBackground(HDC dc) {
    const int width = image_.Width();
    const int height = image_.Height();
    // Rows stored top-down give a negative height; the picture is as tall.
    const int step = height < 0 ? -height : height;
    // An empty picture would never advance the tiling: plain dialog then.
    if (!image_.IsPresent() || width <= 0 || step <= 0) return kNotHandled;

    RECT client;
    if (!GetClientRect(hwnd_, &client)) return kNotHandled;
    const int clientWidth = client.right;
    const int clientHeight = client.bottom;
    switch (mode_) {
    case kStretched:
        image_.StretchDraw(dc, 0, 0, clientWidth, clientHeight);
        break;
    case kCentred:
        image_.Draw(dc, (clientWidth - width) / 2, (clientHeight - step) / 2);
        break;
    default:
        for (int y = 0; y < clientHeight; y += step)
            for (int x = 0; x < clientWidth; x += width) image_.Draw(dc, x, y);
        break;
    }
    return TRUE;
}

MessageResult PictureDialog::OnControlColour(UINT message, HDC dc, HWND control) {
    if (image_.IsPresent() && message == WM_CTLCOLORBTN) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(hollowBrush_);
    }
    return DialogBase::OnControlColour(message, dc, control);
}

UINT PictureDialog::RealiseBackgroundPalette(bool foreground) {
    HDC dc = GetDC(hwnd_);
    if (dc == nullptr) return 0;
    HPALETTE previous = SelectPalette(dc, image_.palette(), foreground ? FALSE : TRUE);
    UINT changed = RealizePalette(dc);
    if (previous != nullptr) SelectPalette(dc, previous, TRUE);
    ReleaseDC(hwnd_, dc);
    return changed == GDI_ERROR ? 0 : changed;
}

MessageResult PictureDialog::OnQueryNewPalette() {
    if (image_.palette() == nullptr || hwnd_ == nullptr) return kNotHandled;
    if (RealiseBackgroundPalette(true) == 0) return FALSE;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return TRUE;
}

MessageResult PictureDialog::OnPaletteChanged(HWND changedBy) {
    // Realising in answer to our own change would start the exchange again.
    if (image_.palette() == nullptr || changedBy == hwnd_ || IsChild(hwnd_, changedBy)) return kNotHandled;
    if (RealiseBackgroundPalette(false) != 0) InvalidateRect(hwnd_, nullptr, TRUE);
    return kNotHandled;
}

}  // namespace velmora
