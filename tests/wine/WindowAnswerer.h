#pragma once
// A user at the keyboard, for windows that a click opens modally: a second thread waits (bounded) for
// each expected top-level dialog of the clicking thread and answers it. Any other dialog that turns
// up is cancelled and reported, so a wrong branch never leaves the test waiting.
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class WindowAnswerer {
public:
  struct Step {
    std::wstring title;     // the window's caption
    std::wstring fileName;  // a file dialog: typed into its name field; empty: a message box, answered OK
    const char* picture = nullptr;  // named, the window is shown to `Snapshot` before it is answered
  };
  using Snapshot = std::function<void(HWND window, const char* name)>;
  // `ignored` is the caption of a window that may stay open throughout (the property sheet).
  WindowAnswerer(DWORD thread, std::wstring ignored, std::vector<Step> steps, DWORD stepTimeoutMs,
                 Snapshot snapshot = nullptr);
  WindowAnswerer(const WindowAnswerer&) = delete;
  WindowAnswerer& operator=(const WindowAnswerer&) = delete;
  ~WindowAnswerer();

  // Call once the click has returned: ends the answering, then tells what happened: "caption: file name" for a file dialog,
  // "caption: text" for a message box, "unexpected caption: text", "no window: caption".
  std::vector<std::wstring> Finish();

private:
  struct Search;
  static BOOL CALLBACK Visit(HWND window, LPARAM search);
  void Run();
  HWND FindDialog(const std::wstring* title);
  void Note(std::wstring line);

  DWORD thread_;
  std::wstring ignored_;
  std::vector<Step> steps_;
  DWORD timeoutMs_;
  Snapshot snapshot_;
  std::mutex mutex_;
  std::vector<std::wstring> log_;
  std::atomic<bool> finishing_ = false;
  std::thread worker_;
};
