#include "comm/PrinterDetection.h"

#include <cstdint>

#include "comm/SerialInterface.h"
#include "comm/PortList.h"

namespace {

using platform::DWORD;

constexpr std::uint8_t kProbe[] = {0x1D, 0xF8, 0x31};
// Any answer of this length counts: its bytes are not looked at.
constexpr DWORD kAnswerLength = 5;

}  // namespace

bool DetectPrinter(platform::Serial& serialPorts, platform::Clock& clock, const std::function<void()>& pumpMessages,
                   const std::vector<std::string>& candidates, std::string& portName, int& baudRate) {
  SerialInterface serial(serialPorts, clock);
  for (const std::string& candidate : candidates) {
    for (const int baud : kDetectionBaudRates) {
      serial.baudRate = baud;
      serial.SetFlowControl(kFlowNone);
      if (!serial.Open(candidate)) break;
      DWORD written = 0;
      DWORD read = 0;
      std::uint8_t answer[kAnswerLength] = {};
      serial.Purge();
      const bool found = serial.Write(kProbe, sizeof kProbe, written) && written == sizeof kProbe &&
                         serial.Read(answer, kAnswerLength, read) && read == kAnswerLength;
      serial.Close();
      if (pumpMessages) pumpMessages();
      if (found) {
        portName = candidate;
        baudRate = baud;
        return true;
      }
    }
  }
  return false;
}

SerialDetection::Outcome SerialDetection::Run(std::string& portName, int& baudRate) {
  if (running_) return Outcome::Busy;
  const std::vector<std::string> ports = ListPorts(os_.libraries, os_.devices, kBuiltInSerialRule);
  if (ports.empty()) return Outcome::NoPorts;
  struct Running {
    bool& flag;
    explicit Running(bool& f) : flag(f) { flag = true; }
    ~Running() { flag = false; }
  } running(running_);
  return DetectPrinter(os_.serial, os_.clock, pumpMessages_, ports, portName, baudRate) ? Outcome::Found : Outcome::NotFound;
}
