#pragma once
// The serial settings the installation leaves for the port monitor, one registry key per port.
#include <string>

#include "platform/Registry.h"

// Writes baudrate, databits, parity, stopbits and flowcontrol (REG_DWORD) under HKLM
// "SOFTWARE\Korvex\KvxPortsIO\<port name without a trailing ':'>", opening the key or else creating
// it. Every value is attempted; true only when the key could be had and all five were written.
bool WriteSerialPortSettings(platform::Registry& registry, const std::string& portName, platform::DWORD baudRate,
                             platform::DWORD dataBits, platform::DWORD parity, platform::DWORD stopBits,
                             platform::DWORD flowControl);

// The rate typed in the baud-rate box: its leading decimal digits; 115200 when they give 0
// (an empty box, a text that is no number).
platform::DWORD BaudRateFromText(const std::string& text);

// The serial page's flow-control list, in its order: the page hands on an entry's index.
inline constexpr const char* kFlowControlEntries[] = {"RTS/CTS", "DTR/DSR", "None"};
inline constexpr int kFlowEntryRtsCts = 0;
inline constexpr int kFlowEntryDtrDsr = 1;
inline constexpr int kFlowEntryNone = 2;

// The FlowControlMode of the flow-control list's entry: kFlowRtsCts, kFlowDtrDsr, and kFlowNone
// for "None" or no entry.
platform::DWORD FlowControlModeFromIndex(int index);
