#pragma once
// Finding a serial printer: which ports to look on, the probe over them, and a guard that keeps
// a second detection from starting inside a running one.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

// The rates a printer is probed at, in this order.
inline constexpr std::array<int, 3> kDetectionBaudRates = {115200, 38400, 9600};

// Probes each candidate port ("COM1:") at each rate until something answers: the first port and
// rate that answer are the result. A port that cannot be opened is left after its first attempt.
// After each attempt on an opened port, `pumpMessages` lets waiting window messages through.
bool DetectPrinter(platform::Serial& serial, platform::Clock& clock, const std::function<void()>& pumpMessages,
                   const std::vector<std::string>& candidates, std::string& portName, int& baudRate);

// The work of the serial page's "Detect" button, without its cursor and message. Input
// dispatched between the attempts may press "Detect" again or try to close the page: the second
// run is refused (Busy) and `running()` tells the page to stay open.
class SerialDetection {
public:
  enum class Outcome { Found, NotFound, NoPorts, Busy };

  SerialDetection(platform::Platform& os, std::function<void()> pumpMessages)
      : os_(os), pumpMessages_(std::move(pumpMessages)) {}

  // Found fills `portName` ("COM2:") and `baudRate`; NoPorts means there was nothing to probe.
  Outcome Run(std::string& portName, int& baudRate);
  bool running() const { return running_; }

private:
  platform::Platform& os_;
  std::function<void()> pumpMessages_;
  bool running_ = false;
};
