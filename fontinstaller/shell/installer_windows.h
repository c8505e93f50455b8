// The installer's two windows: the full-screen background of class
// "cfinst-Bk", tiled with bitmap 1, and the main dialog (template 5) of
// class "cfinst" with the logo, the item list, About, Install and Exit.
#pragma once

#include <windows.h>

namespace tarsik {

// Registers "cfinst" (a dialog class) and then "cfinst-Bk"; nonzero when the
// second registration succeeds.
int RegisterWindowClasses(HINSTANCE instance);

// Loads the install script (its failure is shown as a warning), sets up
// the session, creates the background and the main dialog, fills the list
// and shows the dialog centred on the desktop. 1 on success; 0 otherwise,
// with whatever was created destroyed again.
int CreateInstallerWindows(HINSTANCE instance);

// The background and the main dialog alone, with an empty list (a removal
// shows its progress on the status line). 1 on success.
int ShowInstallerWindows(HINSTANCE instance);

// The list holds the Fonts items' names, then the TTEs items'; the status
// line reads message 152.
void FillItemList(HWND dialog);

// Destroys the background and the main dialog and deletes the pictures,
// each only if it exists. Returns 1.
int DestroyInstallerWindows();

// Copies the whole bitmap, at its own size, to (x, y).
void DrawBitmapAt(HDC dc, int x, int y, HBITMAP bitmap);

}  // namespace tarsik
