#pragma once
#include "platform/DeviceSetup.h"

struct HINSTANCE__;

namespace platform::win32 {

// Owns one module reference from LoadLibraryA and frees it when destroyed.
class Win32Library final : public Library {
public:
  explicit Win32Library(HINSTANCE__* module) : module_(module) {}
  ~Win32Library() override;
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  DWORD FindFunction(const std::string& name) override;

private:
  HINSTANCE__* module_;
};

class Win32Libraries final : public Libraries {
public:
  DWORD LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) override;
};

}  // namespace platform::win32
