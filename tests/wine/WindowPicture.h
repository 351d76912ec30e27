#pragma once
// What a window shows, kept as a picture for a person to look at.
#include <windows.h>

#include <string>

// Lets the window paint for `settleMs` (dispatching this thread's messages), then writes what it
// shows as a 24-bit BMP file at `path`. False when the file cannot be written.
bool SaveWindowPicture(HWND window, const std::string& path, DWORD settleMs);
