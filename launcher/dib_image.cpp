#include "dib_image.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace velmora {

namespace {

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40;
constexpr DWORD kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr size_t kMaxColours = 256;
constexpr size_t kColourTableCapacity = kMaxColours * sizeof(RGBQUAD);
// Every size the image works with must fit a signed 32-bit number: GDI
// takes them as int.
constexpr uint64_t kMaxSize = INT32_MAX;

static_assert(sizeof(BITMAPFILEHEADER) == kFileHeaderSize);
static_assert(sizeof(BITMAPINFOHEADER) == kInfoHeaderSize);

int64_t FilePosition(HANDLE file) {
    LARGE_INTEGER zero = {}, position = {};
    if (!SetFilePointerEx(file, zero, &position, FILE_CURRENT)) return -1;
    return position.QuadPart;
}

bool SeekTo(HANDLE file, int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

// Reads up to `size` bytes; how many arrived.
DWORD ReadUpTo(HANDLE file, void* buffer, DWORD size) {
    DWORD done = 0;
    if (!ReadFile(file, buffer, size, &done, nullptr)) return 0;
    return done;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    DWORD done = 0;
    return WriteFile(file, data, size, &done, nullptr) && done == size;
}

// Whether the headers describe a picture this type can hold and draw
// without reading outside its own buffers; sets `rowsSize` to the bytes its
// rows take. nullptr when they do, else the reason.
const char* CheckHeaders(const BITMAPFILEHEADER& file, const BITMAPINFOHEADER& info, uint64_t* rowsSize) {
    if (info.biWidth <= 0 || info.biHeight == 0 || info.biHeight == INT32_MIN)
        return "Error:picture has no width or height\n";
    switch (info.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return "Error:unsupported bit count\n";
    }
    // The rows are handed to GDI as they are: compressed data would be
    // decoded by sizes that nothing here has checked.
    const bool masks = info.biCompression == BI_BITFIELDS && (info.biBitCount == 16 || info.biBitCount == 32);
    if (info.biCompression != BI_RGB && !masks) return "Error:compressed BMP not supported\n";
    if (info.biClrUsed > kMaxColours) return "Error:colour table too large\n";

    uint64_t height = info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight;
    uint64_t rowSize = PaddedRowSize(static_cast<uint64_t>(info.biWidth), info.biBitCount);
    if (rowSize > kMaxSize || rowSize * height > kMaxSize) return "Error:picture too large\n";
    *rowsSize = rowSize * height;

    if (file.bfOffBits < kHeadersSize) return "Error:pixel data overlaps the headers\n";
    if (file.bfSize <= file.bfOffBits) return "Error:no pixel data\n";
    if (file.bfSize - file.bfOffBits < *rowsSize) return "Error:pixel data shorter than the rows\n";

    uint64_t colours = info.biClrUsed != 0 ? info.biClrUsed : (info.biBitCount <= 8 ? 1u << info.biBitCount : 0);
    uint64_t tableSize = colours * sizeof(RGBQUAD) + (masks ? 3 * sizeof(DWORD) : 0);
    if (kHeadersSize + tableSize > file.bfOffBits) return "Error:colour table runs into the pixel data\n";
    return nullptr;
}

}  // namespace

DibImage::~DibImage() {
    if (palette_ != nullptr) DeleteObject(palette_);
}

void DibImage::FreeInfoAndBits() {
    info_.reset();
    bits_.reset();
    infoSize_ = 0;
    bitsSize_ = 0;
}

bool DibImage::Fail(const char* reason) {
    failure_ = reason;
    FreeInfoAndBits();
    return false;
}

bool DibImage::AllocateInfo(size_t size) {
    info_.reset(new (std::nothrow) BYTE[size]());
    infoSize_ = info_ ? size : 0;
    return info_ != nullptr;
}

bool DibImage::AllocateBits(size_t size) {
    bits_.reset(new (std::nothrow) BYTE[size]());
    bitsSize_ = bits_ ? size : 0;
    return bits_ != nullptr;
}

LONG DibImage::Width() const { return info_ ? info()->bmiHeader.biWidth : 0; }

LONG DibImage::Height() const { return info_ ? info()->bmiHeader.biHeight : 0; }

WORD DibImage::BitCount() const { return info_ ? info()->bmiHeader.biBitCount : 0; }

int DibImage::ColourTableEntries() const {
    switch (BitCount()) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int DibImage::NumColours() const {
    if (!info_) return 0;
    const BITMAPINFOHEADER& header = info()->bmiHeader;
    if (header.biClrUsed != 0) return static_cast<int>(header.biClrUsed);
    return header.biBitCount < 31 ? 1 << header.biBitCount : 0;
}

const RGBQUAD* DibImage::ColourTable() const {
    return info_ ? reinterpret_cast<const RGBQUAD*>(info_.get() + kInfoHeaderSize) : nullptr;
}

bool DibImage::LoadBitmapResource(const char* name) {
    HANDLE loaded = LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (loaded == nullptr) return false;
    HBITMAP bitmap = static_cast<HBITMAP>(loaded);
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    bool created = dc != nullptr && CreateFromBitmap(dc, bitmap);
    DeleteObject(bitmap);
    if (dc != nullptr) ReleaseDC(desktop, dc);
    return created;
}

bool DibImage::CreateFromBitmap(HDC dc, HBITMAP bitmap) {
    BITMAP size = {};
    if (GetObjectA(bitmap, sizeof size, &size) != sizeof size || size.bmWidth <= 0 || size.bmHeight <= 0)
        return Fail("could not read the bitmap\n");
    const bool paletted = size.bmBitsPixel <= 8;
    const unsigned storedBits = paletted ? 8 : 24;
    const uint64_t rowsSize = PaddedRowSize(static_cast<uint64_t>(size.bmWidth), storedBits) * size.bmHeight;
    const uint64_t imageSize = PaddedRowSize(static_cast<uint64_t>(size.bmWidth), size.bmBitsPixel) * size.bmHeight;
    if (rowsSize > kMaxSize || imageSize > kMaxSize) return Fail("could not allocate data storage\n");

    bits_.reset();
    if (!AllocateBits(static_cast<size_t>(rowsSize))) return Fail("could not allocate data storage\n");

    BITMAPINFOHEADER header = {};
    header.biSize = kInfoHeaderSize;
    header.biWidth = size.bmWidth;
    header.biHeight = size.bmHeight;
    header.biPlanes = size.bmPlanes;
    header.biBitCount = paletted ? size.bmBitsPixel : 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(imageSize);

    info_.reset();
    const DWORD entries = header.biBitCount == 1 ? 2 : header.biBitCount == 4 ? 16 : header.biBitCount == 8 ? 256 : 0;
    if (!AllocateInfo(kInfoHeaderSize + entries * sizeof(RGBQUAD)))
        return Fail("could not allocate BITMAPINFO struct\n");
    std::memcpy(info_.get(), &header, sizeof header);

    int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(LOWORD(size.bmHeight)), bits_.get(),
                          reinterpret_cast<BITMAPINFO*>(info_.get()), DIB_RGB_COLORS);
    if (lines != size.bmHeight) return Fail("call to GetDIBits did not return full number of requested scan lines\n");
    MakePalette();
    return true;
}

bool DibImage::MakePalette() {
    if (palette_ != nullptr) {
        DeleteObject(palette_);
        palette_ = nullptr;
    }
    if (!info_ || BitCount() > 8) return false;
    // Never more entries than the colour table holds.
    const int colours = NumColours();
    const size_t tableEntries = (infoSize_ - kInfoHeaderSize) / sizeof(RGBQUAD);
    if (colours <= 0 || static_cast<size_t>(colours) > tableEntries) return false;

    const size_t bytes = sizeof(LOGPALETTE) + (colours - 1) * sizeof(PALETTEENTRY);
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[bytes]());
    if (!block) return false;
    LOGPALETTE* logical = reinterpret_cast<LOGPALETTE*>(block.get());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(colours);
    const RGBQUAD* table = ColourTable();
    for (int i = 0; i < colours; ++i) {
        logical->palPalEntry[i].peRed = table[i].rgbRed;
        logical->palPalEntry[i].peGreen = table[i].rgbGreen;
        logical->palPalEntry[i].peBlue = table[i].rgbBlue;
        logical->palPalEntry[i].peFlags = 0;
    }
    palette_ = CreatePalette(logical);
    return palette_ != nullptr;
}

HPALETTE DibImage::SelectForDrawing(HDC dc) const {
    if (palette_ == nullptr) return nullptr;
    HPALETTE previous = SelectPalette(dc, palette_, FALSE);
    RealizePalette(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    return previous;
}

void DibImage::RestoreAfterDrawing(HDC dc, HPALETTE previous) const {
    if (palette_ != nullptr && previous != nullptr) SelectPalette(dc, previous, FALSE);
}

void DibImage::StretchDraw(HDC dc, int x, int y, int width, int height) const {
    HPALETTE previous = SelectForDrawing(dc);
    if (info_ && bits_) {
        StretchDIBits(dc, x, y, width, height, 0, 0, Width(), Height(), bits_.get(), info(), DIB_RGB_COLORS, SRCCOPY);
    }
    RestoreAfterDrawing(dc, previous);
}

void DibImage::Draw(HDC dc, int x, int y) const { StretchDraw(dc, x, y, Width(), Height()); }

int DibImage::Paint(HDC dc, const RECT& destination, const RECT& source) const {
    HPALETTE previous = SelectForDrawing(dc);
    int lines = 0;
    if (info_ && bits_) {
        const LONG height = Height();
        lines =
            SetDIBitsToDevice(dc, destination.left, destination.top, destination.right - destination.left,
                              destination.bottom - destination.top, source.left, height - source.bottom, 0,
                              static_cast<UINT>(height < 0 ? -height : height), bits_.get(), info(), DIB_RGB_COLORS);
    }
    RestoreAfterDrawing(dc, previous);
    return lines;
}

bool DibImage::LoadFile(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool read = ReadFrom(file);
    CloseHandle(file);
    return read;
}

bool DibImage::ReadFrom(HANDLE file) {
    FreeInfoAndBits();
    const int64_t start = FilePosition(file);
    if (start < 0) return Fail("Error:cannot tell the file position\n");

    BITMAPFILEHEADER fileHeader = {};
    if (ReadUpTo(file, &fileHeader, kFileHeaderSize) != kFileHeaderSize || fileHeader.bfType != kBmpSignature)
        return Fail("Error:Unexpected file type, not a DIB\n");

    BITMAPINFOHEADER header = {};
    DWORD headerRead = ReadUpTo(file, &header, kInfoHeaderSize);
    if (headerRead >= sizeof header.biSize && header.biSize != kInfoHeaderSize)
        return Fail("Error:OS2 PM BMP Format not supported\n");
    if (headerRead != kInfoHeaderSize) return Fail("Error:file ends inside the header\n");

    uint64_t rowsSize = 0;
    if (const char* reason = CheckHeaders(fileHeader, header, &rowsSize)) return Fail(reason);

    // Header and room for 256 colours; what the file does not fill stays 0.
    if (!AllocateInfo(kInfoHeaderSize + kColourTableCapacity)) return Fail("Error:out of memory\n");
    std::memcpy(info_.get(), &header, sizeof header);
    ReadUpTo(file, info_.get() + kInfoHeaderSize, kColourTableCapacity);

    // Never more than the file holds, however large bfSize claims to be.
    uint64_t dataSize = fileHeader.bfSize - fileHeader.bfOffBits;
    LARGE_INTEGER fileSize = {};
    if (GetFileSizeEx(file, &fileSize)) {
        const int64_t available = fileSize.QuadPart - (start + fileHeader.bfOffBits);
        if (available < static_cast<int64_t>(rowsSize)) return Fail("Error:file ends inside the pixel data\n");
        if (static_cast<uint64_t>(available) < dataSize) dataSize = static_cast<uint64_t>(available);
    }
    if (!AllocateBits(static_cast<size_t>(dataSize))) return Fail("Error:out of memory\n");
    if (!SeekTo(file, start + fileHeader.bfOffBits) ||
        ReadUpTo(file, bits_.get(), static_cast<DWORD>(dataSize)) < rowsSize)
        return Fail("Error:file ends inside the pixel data\n");

    MakePalette();
    return true;
}

bool DibImage::SaveFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteTo(file);
    bool closed = CloseHandle(file) != FALSE;
    // A half-written picture is worse than none.
    if (!written || !closed) {
        DeleteFileA(path);
        return false;
    }
    return true;
}

bool DibImage::WriteTo(HANDLE file) {
    if (!info_ || !bits_) return false;
    const uint64_t tableSize = kInfoHeaderSize + ColourTableEntries() * sizeof(RGBQUAD);
    const LONG height = Height();
    const uint64_t rowsSize = PaddedRowSize(static_cast<uint64_t>(Width()), BitCount()) *
                              (height < 0 ? -static_cast<int64_t>(height) : height);
    // What the header announces must be there to write.
    if (tableSize > infoSize_ || rowsSize > bitsSize_ || kFileHeaderSize + tableSize + rowsSize > kMaxSize)
        return false;

    reinterpret_cast<BITMAPINFOHEADER*>(info_.get())->biSizeImage = 0;
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = kBmpSignature;
    fileHeader.bfSize = static_cast<DWORD>(kFileHeaderSize + tableSize + rowsSize);
    fileHeader.bfOffBits = static_cast<DWORD>(kFileHeaderSize + tableSize);
    return WriteAll(file, &fileHeader, kFileHeaderSize) && WriteAll(file, info_.get(), static_cast<DWORD>(tableSize)) &&
           WriteAll(file, bits_.get(), static_cast<DWORD>(rowsSize));
}

}  // namespace velmora
