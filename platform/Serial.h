#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/Win32Types.h"

namespace platform {

namespace purge {
constexpr DWORD TxAbort = 0x1;  // PURGE_TXABORT
constexpr DWORD RxAbort = 0x2;  // PURGE_RXABORT
constexpr DWORD TxClear = 0x4;  // PURGE_TXCLEAR
constexpr DWORD RxClear = 0x8;  // PURGE_RXCLEAR
}  // namespace purge

namespace parity {
constexpr std::uint8_t None = 0;
constexpr std::uint8_t Odd = 1;
constexpr std::uint8_t Even = 2;
constexpr std::uint8_t Mark = 3;
constexpr std::uint8_t Space = 4;
}  // namespace parity

namespace stopbits {
constexpr std::uint8_t One = 0;
constexpr std::uint8_t OnePointFive = 1;
constexpr std::uint8_t Two = 2;
}  // namespace stopbits

namespace dtrcontrol {
constexpr std::uint8_t Disable = 0;
constexpr std::uint8_t Enable = 1;
constexpr std::uint8_t Handshake = 2;
}  // namespace dtrcontrol

namespace rtscontrol {
constexpr std::uint8_t Disable = 0;
constexpr std::uint8_t Enable = 1;
constexpr std::uint8_t Handshake = 2;
constexpr std::uint8_t Toggle = 3;
}  // namespace rtscontrol

// The DCB fields the system sets, and those it hands back as the port reported them.
// A backend keeps every other DCB field of the port as it was.
struct CommState {
  DWORD baudRate = 9600;
  bool binary = true;       // fBinary
  bool parityCheck = false;  // fParity
  bool outxCtsFlow = false;
  bool outxDsrFlow = false;
  std::uint8_t dtrControl = dtrcontrol::Enable;
  bool dsrSensitivity = false;
  bool txContinueOnXoff = false;
  bool outX = false;
  bool inX = false;
  bool errorChar = false;  // fErrorChar: replace bytes with parity errors
  bool null = false;       // fNull: discard NUL bytes
  std::uint8_t rtsControl = rtscontrol::Enable;
  bool abortOnError = false;
  WORD xonLim = 2048;
  WORD xoffLim = 512;
  std::uint8_t byteSize = 8;
  std::uint8_t parity = parity::None;
  std::uint8_t stopBits = stopbits::One;
  char xonChar = 0x11;
  char xoffChar = 0x13;

  friend bool operator==(const CommState&, const CommState&) = default;
};

// COMMTIMEOUTS, in milliseconds.
struct CommTimeouts {
  DWORD readIntervalTimeout = 0;
  DWORD readTotalTimeoutMultiplier = 0;
  DWORD readTotalTimeoutConstant = 0;
  DWORD writeTotalTimeoutMultiplier = 0;
  DWORD writeTotalTimeoutConstant = 0;

  friend bool operator==(const CommTimeouts&, const CommTimeouts&) = default;
};

// An open communications port (the HANDLE of CreateFileA); destruction closes it (CloseHandle).
// Results are Win32 errors, 0 on success. A read or write that runs out of time succeeds with
// fewer bytes, as on Windows.
class SerialPort {
public:
  virtual ~SerialPort() = default;
  [[nodiscard]] virtual DWORD SetupComm(DWORD inQueue, DWORD outQueue) = 0;
  [[nodiscard]] virtual DWORD PurgeComm(DWORD flags) = 0;
  [[nodiscard]] virtual DWORD GetCommState(CommState& state) = 0;
  [[nodiscard]] virtual DWORD SetCommState(const CommState& state) = 0;
  [[nodiscard]] virtual DWORD SetCommTimeouts(const CommTimeouts& timeouts) = 0;
  [[nodiscard]] virtual DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) = 0;
  [[nodiscard]] virtual DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) = 0;
};

class Serial {
public:
  virtual ~Serial() = default;
  // CreateFileA(name, access, no sharing, OPEN_EXISTING, no flags) of a communications port
  // ("COM1", "COM1:" or "\\.\COM12"). winerr::AccessDenied (5) when another handle has the port,
  // winerr::FileNotFound (2) when there is no such port.
  [[nodiscard]] virtual DWORD CreateFileA(const std::string& name, DWORD desiredAccess,
                                          std::unique_ptr<SerialPort>& out) = 0;
  // The device-control block of a port's default configuration ("COM1"), which the system gives
  // a port that is opened: GetDefaultCommConfigA / SetDefaultCommConfigA.
  [[nodiscard]] virtual DWORD GetDefaultCommConfigA(const std::string& name, CommState& state) = 0;
  [[nodiscard]] virtual DWORD SetDefaultCommConfigA(const std::string& name, const CommState& state) = 0;
};

}  // namespace platform
