// A dialog whose background is a picture from the program's resources:
// tiled from the top-left corner, stretched over the client area, or
// centred at its own size. Push buttons draw over the picture without a
// background of their own, and the picture's palette is realised when the
// system asks for it.
#pragma once
#include "dialog_base.h"
#include "dib_image.h"

namespace velmora {

class PictureDialog : public DialogBase {
public:
    enum Mode { kTiled = 0, kStretched = 1, kCentred = 2 };

    PictureDialog(int templateId, HWND parent);

    // Stores `mode` (any value other than 1 and 2 tiles), then loads bitmap
    // resource `bitmapId`; whether it loaded. Repaints nothing itself.
    bool SetBackground(UINT bitmapId, int mode);

    const DibImage& image() const { return image_; }
    int mode() const { return mode_; }

protected:
    MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Push buttons draw over the picture; the rest as the base does.
    MessageResult OnControlColour(UINT message, HDC dc, HWND control) override;

    // Selects the picture's palette into a client-area device context
    // (foreground or background), realises it and selects the old one back;
    // how many entries realising changed.
    virtual UINT RealiseBackgroundPalette(bool foreground);

private:
    MessageResult OnEraseBackground(HDC dc);
    MessageResult OnQueryNewPalette();
    MessageResult OnPaletteChanged(HWND changedBy);

    DibImage image_;
    int mode_ = kTiled;
    HBRUSH hollowBrush_;
};

}  // namespace velmora
