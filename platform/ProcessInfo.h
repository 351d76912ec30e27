#pragma once
#include <string>

#include "platform/Win32Types.h"

namespace platform {

namespace lang {
constexpr LANGID EnglishUs = 0x0409;
constexpr LANGID PortugueseBrazil = 0x0416;
constexpr LANGID Primary(LANGID id) { return id & 0x3FF; }
constexpr LANGID PrimaryPortuguese = 0x16;
}  // namespace lang

// Facts about the running program and its user session.
class ProcessInfo {
public:
  virtual ~ProcessInfo() = default;
  // Full path of the program file, Windows style ("C:\...\KvxInstaller.exe").
  [[nodiscard]] virtual std::string GetModuleFileNameA() = 0;
  [[nodiscard]] virtual LANGID GetUserDefaultUILanguage() = 0;
};

}  // namespace platform
