// A GUI-subsystem program that prints through every stream, as KvxInstaller --list-models does.
#include <windows.h>

#include <cstdio>
#include <iostream>

#include "platform/win32/Console.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (!platform::win32::AttachOutputConsole()) return 3;
  std::printf("printf to stdout\n");
  std::cout << "cout line 1\ncout line 2" << std::endl;
  std::fprintf(stderr, "fprintf to stderr\n");
  std::cerr << "cerr line" << std::endl;
  std::cout << "last stdout line\n";
  return 0;
}
