#pragma once
#include <memory>
#include <string>
#include <utility>

#include "platform/DeviceSetup.h"

struct HINSTANCE__;

namespace platform::win32 {

// Owns one module reference from LoadLibraryA and frees it when destroyed.
class Win32Library final : public Library {
public:
  // LoadLibraryA; its error (126 for a missing library) when it fails.
  static DWORD Load(const std::string& name, std::unique_ptr<Win32Library>& out);

  explicit Win32Library(HINSTANCE__* module) : module_(module) {}
  ~Win32Library() override;
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  DWORD FindFunction(const std::string& name) override;

  // GetProcAddress as a pointer of the function's type; its error (127 for a missing function) when
  // the library does not export it. Valid while this object lives.
  template <typename Function>
  DWORD Find(const char* name, Function*& out) const {
    AnyFunction* address = nullptr;
    const DWORD error = FindAddress(name, address);
    // Through void() on purpose: the one function type every other converts from without a warning.
    out = reinterpret_cast<Function*>(address);
    return error;
  }

private:
  using AnyFunction = void();
  DWORD FindAddress(const char* name, AnyFunction*& out) const;

  HINSTANCE__* module_;
};

// One function of a library that is loaded for as long as this object lives. The backends call
// the setup and port functions through it, so the program does not import them at load time and a
// missing library or function is the error a call returns.
template <typename Function>
class LoadedFunction {
public:
  LoadedFunction(const char* library, const char* name) {
    error_ = Win32Library::Load(library, library_);
    if (error_ == 0) error_ = library_->Find(name, function_);
  }
  // 0 when the function can be called, else the error of LoadLibraryA or GetProcAddress.
  DWORD error() const { return error_; }
  template <typename... Args>
  auto operator()(Args&&... args) const {
    return function_(std::forward<Args>(args)...);
  }

private:
  std::unique_ptr<Win32Library> library_;
  Function* function_ = nullptr;
  DWORD error_ = 0;
};

class Win32Libraries final : public Libraries {
public:
  DWORD LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) override;
};

}  // namespace platform::win32
