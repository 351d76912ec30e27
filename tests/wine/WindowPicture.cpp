#include "tests/wine/WindowPicture.h"

#include <cstdio>

bool SaveWindowPicture(HWND window, const std::string& path, DWORD settleMs) {
  for (DWORD until = GetTickCount() + settleMs; GetTickCount() < until;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  RECT rect;
  GetWindowRect(window, &rect);
  const LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  HBITMAP picture = CreateDIBSection(source, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD size = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
  const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
  const BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
  bool written = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(bits, size, 1, out) == 1;
    written = std::fclose(out) == 0 && written;
  }
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return written;
}
