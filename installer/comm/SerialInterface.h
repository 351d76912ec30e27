#pragma once
// A serial port opened for the printer detection: fixed queue sizes and time-outs, the line
// settings of its fields and one of the flow-control modes.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Serial.h"

// FlowControlMode: 0 "None" (opened with XON/XOFF all the same), 1 "RTS/CTS", 2 "DTR/DSR".
inline constexpr int kFlowNone = 0;
inline constexpr int kFlowRtsCts = 1;
inline constexpr int kFlowDtrDsr = 2;

class SerialInterface {
public:
  SerialInterface(platform::Serial& serial, platform::Clock& clock) : serial_(serial), clock_(clock) {}
  // Leaves closing to the user; the handle is released all the same.
  virtual ~SerialInterface() = default;
  SerialInterface(const SerialInterface&) = delete;
  SerialInterface& operator=(const SerialInterface&) = delete;

  // Stores modes below 5; any other becomes RTS/CTS.
  void SetFlowControl(int mode);
  bool Open(const std::string& name);
  bool Close();
  // Drops what waits to be sent and what has arrived.
  bool Purge();
  // In pieces of at most 8192 bytes; false on a failing or empty piece (`written` keeps what went out).
  bool Write(const std::uint8_t* data, platform::DWORD length, platform::DWORD& written);
  // Until `length` bytes are there; false when a read fails or brings nothing.
  bool Read(std::uint8_t* buffer, platform::DWORD length, platform::DWORD& read);

  const std::string& portName() const { return portName_; }
  bool isOpen() const { return open_; }
  int flowControl() const { return flowControl_; }

  // DCB codes: stop bits 0 is one stop bit, parity 0 none.
  int stopBits = 0;
  int dataBits = 8;
  int parity = 0;
  int baudRate = 115200;

private:
  // Whether the port could be set up; the caller closes it when not.
  bool Configure();

  platform::Serial& serial_;
  platform::Clock& clock_;
  std::string portName_;
  std::unique_ptr<platform::SerialPort> port_;
  int flowControl_ = kFlowRtsCts;
  bool open_ = false;
};
