#include "comm/SerialInterface.h"

#include <algorithm>
#include <span>

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr DWORD kInputQueue = 2048;
constexpr DWORD kOutputQueue = 8192;
constexpr DWORD kWritePiece = 8192;
// After purging, before the port is set up.
constexpr DWORD kSettleMs = 10;
// Each read gives up after 100 ms plus 5 ms per byte still missing, or 100 ms after the last
// byte; a write after 500 ms plus 5 ms per byte.
constexpr platform::CommTimeouts kTimeouts{100, 5, 100, 5, 500};
constexpr std::size_t kPortNameChars = 29;

void ApplyFlowControl(int mode, platform::CommState& dcb) {
  namespace dtr = platform::dtrcontrol;
  namespace rts = platform::rtscontrol;
  dcb.dtrControl = dtr::Enable;
  switch (mode) {
    case kFlowRtsCts:
      dcb.outxCtsFlow = true;
      dcb.outxDsrFlow = false;
      dcb.dsrSensitivity = false;
      dcb.txContinueOnXoff = true;
      dcb.outX = dcb.inX = false;
      dcb.rtsControl = rts::Handshake;
      break;
    case kFlowDtrDsr:
      dcb.outxCtsFlow = false;
      dcb.outxDsrFlow = true;
      dcb.dsrSensitivity = true;
      dcb.txContinueOnXoff = true;
      dcb.outX = dcb.inX = false;
      dcb.rtsControl = rts::Enable;
      break;
    default:  // "None" opens with XON/XOFF
      dcb.outxCtsFlow = dcb.outxDsrFlow = false;
      dcb.dsrSensitivity = false;
      dcb.txContinueOnXoff = false;
      dcb.outX = dcb.inX = true;
      dcb.rtsControl = rts::Enable;
      dcb.xonChar = 0x11;
      dcb.xoffChar = 0x13;
      dcb.xonLim = dcb.xoffLim = 256;
      break;
  }
}

}  // namespace

void SerialInterface::SetFlowControl(int mode) { flowControl_ = mode < 5 ? mode : kFlowRtsCts; }

bool SerialInterface::Open(const std::string& name) {
  std::unique_ptr<platform::SerialPort> port;
  if (serial_.CreateFileA(name, platform::access::GenericRead | platform::access::GenericWrite, port) !=
      winerr::Success) {
    return false;
  }
  port_ = std::move(port);
  // Neither result stops the open: only the settings below must take.
  (void)port_->SetupComm(kInputQueue, kOutputQueue);
  (void)port_->PurgeComm(platform::purge::TxAbort | platform::purge::RxAbort | platform::purge::TxClear |
                         platform::purge::RxClear);
  clock_.Sleep(kSettleMs);
  if (!Configure()) {
    Close();
    return false;
  }
  portName_ = name.substr(0, kPortNameChars);
  open_ = true;
  return true;
}

bool SerialInterface::Configure() {
  platform::CommState dcb;
  if (port_->GetCommState(dcb) != winerr::Success) return false;
  dcb.baudRate = static_cast<DWORD>(baudRate);
  dcb.byteSize = static_cast<std::uint8_t>(dataBits);
  dcb.parity = static_cast<std::uint8_t>(parity);
  dcb.stopBits = static_cast<std::uint8_t>(stopBits);
  dcb.binary = true;
  dcb.parityCheck = true;
  dcb.null = false;
  ApplyFlowControl(flowControl_, dcb);
  return port_->SetCommState(dcb) == winerr::Success && port_->SetCommTimeouts(kTimeouts) == winerr::Success;
}

bool SerialInterface::Close() {
  port_.reset();
  open_ = false;
  return true;
}

bool SerialInterface::Purge() {
  if (port_) (void)port_->PurgeComm(platform::purge::TxClear | platform::purge::RxClear);
  return true;
}

bool SerialInterface::Write(const std::uint8_t* data, DWORD length, DWORD& written) {
  written = 0;
  if (!data || length == 0 || !port_) return false;
  while (written < length) {
    DWORD done = 0;
    const DWORD piece = std::min(length - written, kWritePiece);
    const DWORD rc = port_->WriteFile(std::span(data + written, piece), done);
    written += done;
    if (rc != winerr::Success || done == 0) return false;
  }
  return true;
}

bool SerialInterface::Read(std::uint8_t* buffer, DWORD length, DWORD& read) {
  read = 0;
  if (!buffer || length == 0 || !port_) return false;
  while (read < length) {
    DWORD done = 0;
    const DWORD rc = port_->ReadFile(std::span(buffer + read, length - read), done);
    read += done;
    if (rc != winerr::Success || done == 0) return false;
  }
  return true;
}
