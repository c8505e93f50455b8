#include "picture_pane.h"

namespace orvane {

const wchar_t PicturePane::kClassName[] = L"OrvanePicturePane";

PicturePane::~PicturePane() {
    // A pane whose window was never created (or failed to create) still owns
    // its picture.
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (picture_ != nullptr) DeleteObject(picture_);
}

bool PicturePane::SetPicture(HINSTANCE instance, UINT id) {
    HBITMAP picture = LoadBitmapW(instance, MAKEINTRESOURCEW(LOWORD(id)));
    if (picture == nullptr) return false;
    if (picture_ != nullptr) DeleteObject(picture_);
    picture_ = picture;
    return true;
}

bool PicturePane::RegisterPaneClass(HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kClassName, &existing)) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
}

HWND PicturePane::Create(HINSTANCE instance, HWND parent, const RECT& rect, const wchar_t* name) {
    if (hwnd_ != nullptr || !RegisterPaneClass(instance)) return nullptr;
    // hwnd_ is bound in WM_NCCREATE, so the creation messages reach the object.
    HWND pane = CreateWindowExW(0, kClassName, name, WS_CHILD | WS_VISIBLE | WS_GROUP, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance, this);
    return pane;
}

LRESULT CALLBACK PicturePane::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PicturePane* self;
    if (message == WM_NCCREATE) {
        self = static_cast<PicturePane*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<PicturePane*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        return self->OnCreate(message, wParam, lParam);
    case WM_PAINT:
        self->OnPaint();
        return 0;
    case WM_DESTROY:
        DefWindowProcW(hwnd, message, wParam, lParam);
        self->OnDestroy();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT PicturePane::OnCreate(UINT message, WPARAM wParam, LPARAM lParam) {
    if (DefWindowProcW(hwnd_, message, wParam, lParam) == -1) return -1;
    HDC paneDc = GetDC(hwnd_);
    if (paneDc == nullptr) return -1;
    memoryDc_ = CreateCompatibleDC(paneDc);
    ReleaseDC(hwnd_, paneDc);
    if (memoryDc_ == nullptr) return -1;
    // Without a picture the memory context stays empty and the pane paints
    // nothing: the parent's background shows.
    if (picture_ != nullptr) previousBitmap_ = SelectObject(memoryDc_, picture_);
    return 0;
}

void PicturePane::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd_, &paint);
    if (dc == nullptr) return;
    RECT client;
    BITMAP bitmap;
    if (picture_ != nullptr && memoryDc_ != nullptr && GetClientRect(hwnd_, &client) &&
        GetObjectW(picture_, sizeof bitmap, &bitmap) == sizeof bitmap) {
        TransparentBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, memoryDc_,
                       0, 0, bitmap.bmWidth, bitmap.bmHeight, RGB(255, 255, 255));
    }
    EndPaint(hwnd_, &paint);
}

void PicturePane::OnDestroy() {
    if (memoryDc_ != nullptr) {
        if (previousBitmap_ != nullptr) SelectObject(memoryDc_, previousBitmap_);
        DeleteDC(memoryDc_);
    }
    memoryDc_ = nullptr;
    previousBitmap_ = nullptr;
    if (picture_ != nullptr) DeleteObject(picture_);
    picture_ = nullptr;
}

}  // namespace orvane
