#include "platform/win32/Win32Serial.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

static_assert(purge::TxAbort == PURGE_TXABORT && purge::RxAbort == PURGE_RXABORT && purge::TxClear == PURGE_TXCLEAR &&
              purge::RxClear == PURGE_RXCLEAR);
static_assert(parity::None == NOPARITY && parity::Odd == ODDPARITY && parity::Even == EVENPARITY &&
              parity::Mark == MARKPARITY && parity::Space == SPACEPARITY);
static_assert(stopbits::One == ONESTOPBIT && stopbits::OnePointFive == ONE5STOPBITS && stopbits::Two == TWOSTOPBITS);
static_assert(dtrcontrol::Disable == DTR_CONTROL_DISABLE && dtrcontrol::Enable == DTR_CONTROL_ENABLE &&
              dtrcontrol::Handshake == DTR_CONTROL_HANDSHAKE);
static_assert(rtscontrol::Disable == RTS_CONTROL_DISABLE && rtscontrol::Enable == RTS_CONTROL_ENABLE &&
              rtscontrol::Handshake == RTS_CONTROL_HANDSHAKE && rtscontrol::Toggle == RTS_CONTROL_TOGGLE);

namespace {

DWORD Result(BOOL ok) { return ok ? winerr::Success : ::GetLastError(); }

void FromDcb(const DCB& dcb, CommState& state) {
  state.baudRate = dcb.BaudRate;
  state.binary = dcb.fBinary;
  state.parityCheck = dcb.fParity;
  state.outxCtsFlow = dcb.fOutxCtsFlow;
  state.outxDsrFlow = dcb.fOutxDsrFlow;
  state.dtrControl = static_cast<std::uint8_t>(dcb.fDtrControl);
  state.dsrSensitivity = dcb.fDsrSensitivity;
  state.txContinueOnXoff = dcb.fTXContinueOnXoff;
  state.outX = dcb.fOutX;
  state.inX = dcb.fInX;
  state.errorChar = dcb.fErrorChar;
  state.null = dcb.fNull;
  state.rtsControl = static_cast<std::uint8_t>(dcb.fRtsControl);
  state.abortOnError = dcb.fAbortOnError;
  state.xonLim = dcb.XonLim;
  state.xoffLim = dcb.XoffLim;
  state.byteSize = dcb.ByteSize;
  state.parity = dcb.Parity;
  state.stopBits = dcb.StopBits;
  state.xonChar = dcb.XonChar;
  state.xoffChar = dcb.XoffChar;
}

// The DCB's other fields (the error, end-of-file and event characters) keep their values.
void ToDcb(const CommState& state, DCB& dcb) {
  dcb.BaudRate = state.baudRate;
  dcb.fBinary = state.binary;
  dcb.fParity = state.parityCheck;
  dcb.fOutxCtsFlow = state.outxCtsFlow;
  dcb.fOutxDsrFlow = state.outxDsrFlow;
  dcb.fDtrControl = state.dtrControl & 0x3u;  // two-bit fields
  dcb.fDsrSensitivity = state.dsrSensitivity;
  dcb.fTXContinueOnXoff = state.txContinueOnXoff;
  dcb.fOutX = state.outX;
  dcb.fInX = state.inX;
  dcb.fErrorChar = state.errorChar;
  dcb.fNull = state.null;
  dcb.fRtsControl = state.rtsControl & 0x3u;
  dcb.fAbortOnError = state.abortOnError;
  dcb.XonLim = state.xonLim;
  dcb.XoffLim = state.xoffLim;
  dcb.ByteSize = state.byteSize;
  dcb.Parity = state.parity;
  dcb.StopBits = state.stopBits;
  dcb.XonChar = state.xonChar;
  dcb.XoffChar = state.xoffChar;
}


class Win32SerialPort final : public SerialPort {
public:
  explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
  ~Win32SerialPort() override { ::CloseHandle(handle_); }

  DWORD SetupComm(DWORD inQueue, DWORD outQueue) override { return Result(::SetupComm(handle_, inQueue, outQueue)); }
  DWORD PurgeComm(DWORD flags) override { return Result(::PurgeComm(handle_, flags)); }

  DWORD GetCommState(CommState& state) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return ::GetLastError();
    FromDcb(dcb, state);
    return winerr::Success;
  }

  DWORD SetCommState(const CommState& state) override {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(handle_, &dcb)) return ::GetLastError();
    ToDcb(state, dcb);
    return Result(::SetCommState(handle_, &dcb));
  }

  DWORD SetCommTimeouts(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS t{timeouts.readIntervalTimeout, timeouts.readTotalTimeoutMultiplier,
                   timeouts.readTotalTimeoutConstant, timeouts.writeTotalTimeoutMultiplier,
                   timeouts.writeTotalTimeoutConstant};
    return Result(::SetCommTimeouts(handle_, &t));
  }

  DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) override {
    ::DWORD count = 0;
    const BOOL ok = ::WriteFile(handle_, data.data(), static_cast<::DWORD>(data.size()), &count, nullptr);
    written = count;
    return Result(ok);
  }

  DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) override {
    ::DWORD count = 0;
    const BOOL ok = ::ReadFile(handle_, buffer.data(), static_cast<::DWORD>(buffer.size()), &count, nullptr);
    read = count;
    return Result(ok);
  }

private:
  HANDLE handle_;
};

}  // namespace

DWORD Win32Serial::CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) {
  out.reset();
  HANDLE handle = ::CreateFileA(name.c_str(), desiredAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return ::GetLastError();
  out = std::make_unique<Win32SerialPort>(handle);
  return winerr::Success;
}

// The configuration's size first, then the configuration itself.
std::vector<std::uint8_t> ReadDefaultConfig(const std::string& name, DWORD& error) {
  ::DWORD size = 0;
  (void)::GetDefaultCommConfigA(name.c_str(), nullptr, &size);  // only the size is wanted
  if (size < sizeof(COMMCONFIG)) {
    error = ::GetLastError() != winerr::Success ? ::GetLastError() : winerr::InvalidParameter;
    return {};
  }
  std::vector<std::uint8_t> buffer(size);
  auto* config = reinterpret_cast<COMMCONFIG*>(buffer.data());
  config->dwSize = size;
  error = Result(::GetDefaultCommConfigA(name.c_str(), config, &size));
  if (error != winerr::Success) buffer.clear();
  return buffer;
}

DWORD Win32Serial::GetDefaultCommConfigA(const std::string& name, CommState& state) {
  DWORD error = winerr::Success;
  const auto buffer = ReadDefaultConfig(name, error);
  if (buffer.empty()) return error;
  FromDcb(reinterpret_cast<const COMMCONFIG*>(buffer.data())->dcb, state);
  return winerr::Success;
}

DWORD Win32Serial::SetDefaultCommConfigA(const std::string& name, const CommState& state) {
  DWORD error = winerr::Success;
  auto buffer = ReadDefaultConfig(name, error);
  if (buffer.empty()) return error;
  auto* config = reinterpret_cast<COMMCONFIG*>(buffer.data());
  ToDcb(state, config->dcb);
  return Result(::SetDefaultCommConfigA(name.c_str(), config, static_cast<::DWORD>(buffer.size())));
}

}  // namespace platform::win32
