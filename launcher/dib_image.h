// A device-independent bitmap: one block with the BITMAPINFOHEADER and its
// colour table, the pixel rows as a DIB stores them (bottom row first, rows
// padded to 4 bytes), and a logical palette for pictures of 8 bits or fewer.
// Loads from bitmap resources and BMP files, draws scaled or unscaled, and
// writes BMP files. Every failure answers false and leaves the image empty;
// the reason is kept in failureText() and never shown.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

namespace velmora {

class DibImage {
public:
    DibImage() = default;
    virtual ~DibImage();
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;

    // Paints unscaled: the destination's size is the size copied, from the
    // source rectangle (top-down coordinates). Scan lines copied; 0 when empty.
    virtual int Paint(HDC dc, const RECT& destination, const RECT& source) const;
    virtual void StretchDraw(HDC dc, int x, int y, int width, int height) const;
    // StretchDraw at the picture's own size.
    virtual void Draw(HDC dc, int x, int y) const;
    virtual bool LoadFile(const char* path);
    // Reads a BMP that starts at the file's current position.
    virtual bool ReadFrom(HANDLE file);
    virtual bool SaveFile(const char* path);
    // Writes the image as a BMP at the file's current position; false when
    // the image is empty or a write fails.
    virtual bool WriteTo(HANDLE file);

    // A bitmap of this program's resources (a name, or MAKEINTRESOURCEA(id)).
    bool LoadBitmapResource(const char* name);
    // Converts `bitmap`: 1, 4 and 8 bits per pixel keep their bit count and
    // colour table; 16, 24 and 32 become 24 bits without colour table.
    bool CreateFromBitmap(HDC dc, HBITMAP bitmap);
    // Rebuilds the palette from the colour table; whether a palette exists.
    bool MakePalette();

    bool IsPresent() const { return bits_ != nullptr; }
    LONG Width() const;
    LONG Height() const;  // negative for rows stored top-down
    WORD BitCount() const;
    // 2, 16 or 256 for 1, 4 or 8 bits per pixel; 0 otherwise.
    int ColourTableEntries() const;
    // biClrUsed, or 2 to the power of the bit count when that is 0.
    int NumColours() const;
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(info_.get()); }
    const RGBQUAD* ColourTable() const;
    const BYTE* bits() const { return bits_.get(); }
    HPALETTE palette() const { return palette_; }
    // Bytes held in the header block and in the pixel rows.
    size_t infoSize() const { return infoSize_; }
    size_t bitsSize() const { return bitsSize_; }
    const char* failureText() const { return failure_; }

private:
    void FreeInfoAndBits();
    bool Fail(const char* reason);
    bool AllocateInfo(size_t size);
    bool AllocateBits(size_t size);
    // Selects and realises the palette into `dc` when there is one; returns
    // the palette it replaced.
    HPALETTE SelectForDrawing(HDC dc) const;
    void RestoreAfterDrawing(HDC dc, HPALETTE previous) const;

    std::unique_ptr<BYTE[]> info_;
    std::unique_ptr<BYTE[]> bits_;
    size_t infoSize_ = 0;
    size_t bitsSize_ = 0;
    HPALETTE palette_ = nullptr;
    const char* failure_ = "";
};

// Bytes of one row of `width` pixels at `bitCount` bits, padded to 4 bytes.
inline unsigned long long PaddedRowSize(unsigned long long width, unsigned bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

}  // namespace velmora
