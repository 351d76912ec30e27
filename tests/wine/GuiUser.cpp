// Plays the person at the installer's real dialogs: starts KvxInstaller.exe, answers each window
// it shows as a first-time user would (first model; a look at the ethernet page's "Setup..." dialog,
// where a port of "abc" is refused and the dialog cancelled; then Serial on COM1, Install, then OK or No),
// saves each window as a bitmap before answering, and prints what it saw and the exit code.
// Usage: kvx_gui_user.exe <KvxInstaller.exe> <folder for bitmaps>   (run from the distribution folder)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

constexpr DWORD kRunLimitMs = 90000;
constexpr DWORD kSettleMs = 400;  // a new window gets this long to paint before it is saved
constexpr DWORD kProgressMs = 3000;

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  std::string result(text);
  for (char& c : result)
    if (c == '\r' || c == '\n') c = ' ';
  return result;
}

// The window as it is on the screen, as a 24-bit bottom-up bitmap file.
bool SaveBitmap(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                       std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  return std::fclose(out) == 0 && written;
}

struct Search {
  DWORD process;
  std::vector<HWND> windows;
};

std::vector<HWND> VisibleWindowsOf(DWORD process) {
  Search search{process, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->process && IsWindowVisible(window)) s->windows.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.windows;
}

// Which of the installer's windows this is, by a control only that window has.
std::string KindOf(HWND window) {
  if (GetDlgItem(window, IDC_MODEL_LIST)) return "148";
  if (GetDlgItem(window, IDC_INSTALL_PRINTER)) return "149";
  if (GetDlgItem(window, IDC_STEP1_CHECK)) return "153";
  if (GetDlgItem(window, IDC_NEW_PRINTER)) return "170";
  if (GetDlgItem(window, IDC_BOARD_SEARCH)) return "172";
  if (GetDlgItem(window, 0xFFFF)) return "message";  // a message box's text
  return "";
}

// The visible control with this id anywhere under the window (the interface pages are child dialogs).
HWND VisibleControl(HWND window, int id) {
  struct Find {
    int id;
    HWND found;
  } find{id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Find*>(data);
        if (GetDlgCtrlID(child) != f->id || !IsWindowVisible(child)) return TRUE;
        f->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

void Press(HWND window, int id) {
  // Posted: the installer's handler runs the next modal loop, and a sent message would wait for it.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kvx_gui_user <KvxInstaller.exe> <bitmap folder>\n");
    return 2;
  }
  const std::string folder = argv[2];
  std::string command = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start %s: error %lu\n", argv[1], GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);

  std::set<HWND> answered;
  HWND interfaceDialog = nullptr, ethernetPrinters = nullptr;
  int shots = 0;
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    if (GetTickCount() - start > kRunLimitMs) {
      std::printf("still running after %lu ms: ended by force\n", kRunLimitMs);
      TerminateProcess(process.hProcess, 99);
      CloseHandle(process.hProcess);
      return 1;
    }
    for (HWND window : VisibleWindowsOf(process.dwProcessId)) {
      const std::string kind = KindOf(window);
      if (kind.empty() || answered.count(window)) continue;
      answered.insert(window);
      // First a look at the ethernet printers dialog: no search, which would broadcast on the host's network.
      if (kind == "149") {
        interfaceDialog = window;
        PostMessageA(GetDlgItem(window, IDC_IF_ETHERNET), BM_CLICK, 0, 0);
        Sleep(kSettleMs);
      }
      if (kind == "172") {
        ethernetPrinters = window;
        SetDlgItemTextA(window, IDC_BOARD_PORT, "abc");
      }
      // The progress dialog is saved a few steps into the run, with check marks showing.
      Sleep(kind == "153" ? kProgressMs : kSettleMs);
      const std::string name = std::to_string(++shots) + "-" + kind + ".bmp";
      const bool saved = SaveBitmap(window, folder + "\\" + name);
      std::printf("window %s \"%s\"%s\n", kind.c_str(), TextOf(window).c_str(), saved ? "" : " (not saved)");
      if (kind == "148") Press(window, IDC_CONTINUE);
      if (kind == "149") {
        if (HWND setup = VisibleControl(window, IDC_ETHERNET_SETUP)) PostMessageA(setup, BM_CLICK, 0, 0);
      }
      if (kind == "172") Press(window, IDOK);
      if (kind == "170") Press(window, IDCANCEL);
      if (kind == "message") {
        std::printf("text \"%s\"\n", TextOf(GetDlgItem(window, 0xFFFF)).c_str());
        Press(window, GetDlgItem(window, IDNO) ? IDNO : IDOK);
        // The refused port: leave the ethernet printers dialog, then install on a serial port, typed
        // because Wine lists no serial devices.
        if (ethernetPrinters) {
          Sleep(kSettleMs);
          Press(ethernetPrinters, IDCANCEL);
          ethernetPrinters = nullptr;
          Sleep(kSettleMs);
          PostMessageA(GetDlgItem(interfaceDialog, IDC_IF_SERIAL), BM_CLICK, 0, 0);
          Sleep(kSettleMs);
          if (HWND port = VisibleControl(interfaceDialog, IDC_PORT_COMBO)) SetWindowTextA(port, "COM1");
          Press(interfaceDialog, IDC_INSTALL_PRINTER);
        }
      }
      std::fflush(stdout);
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  std::printf("exit %lu\n", code);
  return 0;
}
