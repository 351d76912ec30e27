#include "platform/sim/SimSerial.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "platform/posix/PosixSerial.h"
#include "platform/sim/PrinterPeer.h"
#include "platform/sim/SimDeviceSetup.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

using Ns = std::uint64_t;
constexpr Ns kNsPerMs = 1'000'000;
constexpr DWORD kMaxDword = 0xFFFFFFFF;
// A UART takes this many bytes at once: a write returns when only these are left on the wire.
constexpr std::size_t kTransmitFifo = 16;

// The port a CreateFileA name opens: the DOS device names COM1 to COM9 (a colon may follow), or
// any port in the device namespace ("\\.\COM12").
std::optional<std::string> DevicePort(std::string_view name) {
  constexpr std::string_view kDeviceNamespace = "\\\\.\\";
  if (name.starts_with(kDeviceNamespace)) {
    name.remove_prefix(kDeviceNamespace.size());
    if (name.ends_with(':')) return std::nullopt;
    return ComPortKey(name);
  }
  auto key = ComPortKey(name);
  if (key && key->size() != 4) return std::nullopt;
  return key;
}

// Bits a character takes on the line: start bit, data, parity, stop bits (1.5 counted as 2).
Ns CharacterNs(const CommState& state) {
  const Ns bits =
      1 + state.byteSize + (state.parity != parity::None ? 1 : 0) + (state.stopBits == stopbits::One ? 1 : 2);
  return bits * 1'000'000'000 / std::max<DWORD>(state.baudRate, 1);
}

bool ValidState(const CommState& s) {
  if (s.baudRate == 0 || s.byteSize < 5 || s.byteSize > 8 || s.parity > parity::Space || s.stopBits > stopbits::Two) {
    return false;
  }
  if ((s.byteSize == 5 && s.stopBits == stopbits::Two) || (s.byteSize != 5 && s.stopBits == stopbits::OnePointFive)) {
    return false;
  }
  return !((s.outX || s.inX) && s.xonChar == s.xoffChar);
}

class SimSerialPort final : public SerialPort {
public:
  SimSerialPort(MachineLock lock, std::string port, DWORD access, SerialAttachment attached,
                std::unique_ptr<SerialPort> device, std::shared_ptr<SimSerial::Ports> ports,
                std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults,
                std::shared_ptr<HandleTable> handles)
      : lock_(std::move(lock)),
        port_(std::move(port)),
        access_(access),
        attached_(std::move(attached)),
        device_(std::move(device)),
        ports_(std::move(ports)),
        clock_(std::move(clock)),
        faults_(std::move(faults)),
        handles_(std::move(handles)),
        id_(handles_->Register("serial port", port_)) {
    state_ = ports_->states[port_];
    timeouts_ = ports_->timeouts[port_];
  }
  ~SimSerialPort() override {
    const auto held = lock_.Hold();
    device_.reset();
    ports_->open.erase(port_);
    handles_->Release(id_);
  }

  DWORD SetupComm(DWORD inQueue, DWORD outQueue) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("SetupComm")) return error;
    if (device_) return device_->SetupComm(inQueue, outQueue);
    return winerr::Success;
  }

  DWORD PurgeComm(DWORD flags) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("PurgeComm")) return error;
    if (flags & ~DWORD{0xF}) return winerr::InvalidParameter;
    if (device_) return device_->PurgeComm(flags);
    // What has arrived is dropped; bytes still on their way arrive later.
    if (flags & purge::RxClear) {
      const Ns now = Now();
      while (!incoming_.empty() && incoming_.front().at <= now) incoming_.pop_front();
    }
    return winerr::Success;
  }

  DWORD GetCommState(CommState& state) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("GetCommState")) return error;
    if (device_) return device_->GetCommState(state);
    state = state_;
    return winerr::Success;
  }

  DWORD SetCommState(const CommState& state) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("SetCommState")) return error;
    if (device_) {
      if (const DWORD error = device_->SetCommState(state)) return error;
    } else if (!ValidState(state)) {
      return winerr::InvalidParameter;
    }
    state_ = state;
    ports_->states[port_] = state;
    return winerr::Success;
  }

  DWORD SetCommTimeouts(const CommTimeouts& timeouts) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("SetCommTimeouts")) return error;
    if (device_) {
      if (const DWORD error = device_->SetCommTimeouts(timeouts)) return error;
    }
    timeouts_ = timeouts;
    ports_->timeouts[port_] = timeouts;
    return winerr::Success;
  }

  DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) override {
    written = 0;
    if (const DWORD error = faults_->Check("WriteFile")) return error;
    if (!(access_ & access::GenericWrite)) return winerr::AccessDenied;
    if (device_) return device_->WriteFile(data, written);
    if (data.empty()) return winerr::Success;
    const Ns now = Now();
    const std::uint64_t totalMs =
        std::uint64_t{timeouts_.writeTotalTimeoutMultiplier} * data.size() + timeouts_.writeTotalTimeoutConstant;
    // A zero total means no write time-out.
    const bool hasLimit = totalMs != 0;
    const Ns limit = now + totalMs * kNsPerMs;
    // With output flow control on a line nothing drives, the output stays held.
    const bool lowLines = !attached_.echo && attached_.printerBaud == 0;
    if (lowLines && (state_.outxCtsFlow || state_.outxDsrFlow)) {
      if (!hasLimit) throw std::logic_error("a held serial write without a time-out would wait for ever");
      SleepUntil(now, limit);
      return winerr::Success;
    }
    const Ns character = CharacterNs(state_);
    const Ns start = std::max(now, lineFree_);
    std::size_t count = data.size();
    Ns returns = data.size() > kTransmitFifo ? start + (data.size() - kTransmitFifo) * character : now;
    if (hasLimit && returns > limit) {
      count = limit > start ? std::min<std::size_t>(count, kTransmitFifo + (limit - start) / character) : 0;
      returns = limit;
    }
    for (std::size_t i = 0; i < count; ++i) Deliver(data[i], start + (i + 1) * character, character);
    lineFree_ = start + count * character;
    written = static_cast<DWORD>(count);
    SleepUntil(now, returns);
    return winerr::Success;
  }

  DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) override {
    read = 0;
    if (const DWORD error = faults_->Check("ReadFile")) return error;
    if (!(access_ & access::GenericRead)) return winerr::AccessDenied;
    if (device_) return device_->ReadFile(buffer, read);
    if (buffer.empty()) return winerr::Success;
    const CommTimeouts& to = timeouts_;
    const Ns now = Now();
    const bool atOnce = to.readIntervalTimeout == kMaxDword && to.readTotalTimeoutMultiplier == 0 &&
                        to.readTotalTimeoutConstant == 0;
    const bool firstByteOnly = to.readIntervalTimeout == kMaxDword && to.readTotalTimeoutMultiplier == kMaxDword;
    std::optional<Ns> total;
    if (firstByteOnly) {
      total = now + to.readTotalTimeoutConstant * kNsPerMs;
    } else if (atOnce) {
      total = now;
    } else if (to.readTotalTimeoutMultiplier != 0 || to.readTotalTimeoutConstant != 0) {
      total = now + (std::uint64_t{to.readTotalTimeoutMultiplier} * buffer.size() + to.readTotalTimeoutConstant) *
                        kNsPerMs;
    }
    const bool interval = to.readIntervalTimeout != 0 && to.readIntervalTimeout != kMaxDword;
    Ns end = now;
    while (read < buffer.size()) {
      std::optional<Ns> deadline = total;
      if (interval && read > 0) {
        const Ns gap = end + to.readIntervalTimeout * kNsPerMs;
        deadline = deadline ? std::min(*deadline, gap) : gap;
      }
      const bool arrives = !incoming_.empty() && (!deadline || incoming_.front().at <= *deadline);
      if (!arrives) {
        if (!deadline) throw std::logic_error("a serial read without time-outs would wait for ever");
        end = std::max(end, *deadline);
        break;
      }
      end = std::max(end, incoming_.front().at);
      buffer[read++] = incoming_.front().byte;
      incoming_.pop_front();
      if (firstByteOnly) total = end;
    }
    SleepUntil(now, end);
    return winerr::Success;
  }

private:
  struct Arrival {
    Ns at;
    std::uint8_t byte;
  };

  // The calling thread's virtual time; never behind what this handle has already spent.
  Ns Now() {
    now_ = std::max(now_, clock_->Elapsed() * kNsPerMs);
    return now_;
  }

  void SleepUntil(Ns now, Ns until) {
    if (until <= now) return;
    const Ns ms = (until - now + kNsPerMs - 1) / kNsPerMs;
    clock_->Sleep(static_cast<DWORD>(ms));
    now_ = until;
  }

  void Arrive(Ns at, std::uint8_t byte) {
    const auto later = std::upper_bound(incoming_.begin(), incoming_.end(), at,
                                        [](Ns t, const Arrival& a) { return t < a.at; });
    incoming_.insert(later, Arrival{at, byte});
  }

  // A byte has reached what is attached to the port at `at`.
  void Deliver(std::uint8_t byte, Ns at, Ns character) {
    if (attached_.echo) Arrive(at, byte);
    if (attached_.printerBaud == 0) return;
    const bool framed = state_.baudRate == attached_.printerBaud && state_.byteSize == 8 &&
                        state_.parity == parity::None && state_.stopBits == stopbits::One;
    const auto answer = printer_.Hear(byte, framed);
    for (std::size_t i = 0; i < answer.size(); ++i) Arrive(at + (i + 1) * character, answer[i]);
  }

  MachineLock lock_;
  const std::string port_;
  const DWORD access_;
  const SerialAttachment attached_;
  std::unique_ptr<SerialPort> device_;
  std::shared_ptr<SimSerial::Ports> ports_;
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id id_;
  CommState state_;
  CommTimeouts timeouts_;
  Ns now_ = 0;
  Ns lineFree_ = 0;
  std::deque<Arrival> incoming_;
  PrinterPeer printer_;
};

}  // namespace

std::optional<std::string> ComPortKey(std::string_view name) {
  if (name.ends_with(':')) name.remove_suffix(1);
  if (name.size() < 4 || !EqualNoCase(name.substr(0, 3), "COM") || name[3] == '0') return std::nullopt;
  for (const char c : name.substr(3))
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  return "COM" + std::string(name.substr(3));
}

SimSerial::SimSerial(MachineLock lock, MachineConfig& config, const nlohmann::ordered_json& document,
                     std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults,
                     std::shared_ptr<HandleTable> handles)
    : lock_(std::move(lock)),
      config_(config),
      document_(document),
      clock_(std::move(clock)),
      faults_(std::move(faults)),
      handles_(std::move(handles)) {}

namespace {

bool IsPresentPort(const nlohmann::ordered_json& document, const std::string& port) {
  const auto devices = ReadDevices(document);
  return std::any_of(devices.begin(), devices.end(), [&](const SimDevice& d) {
    return d.present && EqualNoCase(d.className, "Ports") && ComPortKey(d.portName) == port;
  });
}

}  // namespace

DWORD SimSerial::GetDefaultCommConfigA(const std::string& name, CommState& state) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("GetDefaultCommConfigA")) return error;
  const auto port = ComPortKey(name);
  if (!port || name.ends_with(':') || !IsPresentPort(document_, *port)) return winerr::FileNotFound;
  const auto attached = config_.serial.find(*port);
  state = attached != config_.serial.end() && attached->second.defaultConfig ? *attached->second.defaultConfig
                                                                              : CommState{};
  return winerr::Success;
}

DWORD SimSerial::SetDefaultCommConfigA(const std::string& name, const CommState& state) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("SetDefaultCommConfigA")) return error;
  const auto port = ComPortKey(name);
  if (!port || name.ends_with(':') || !IsPresentPort(document_, *port)) return winerr::FileNotFound;
  if (!config_.user.administrator) return winerr::AccessDenied;
  if (!ValidState(state)) return winerr::InvalidParameter;
  config_.serial[*port].defaultConfig = state;
  return winerr::Success;
}

DWORD SimSerial::CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("CreateFileA")) return error;
  const auto port = DevicePort(name);
  if (!port || !IsPresentPort(document_, *port)) return winerr::FileNotFound;
  const auto attached = config_.serial.find(*port);
  const SerialAttachment attachment = attached != config_.serial.end() ? attached->second : SerialAttachment{};
  if (attachment.busy) return winerr::AccessDenied;
  if (!ports_->open.insert(*port).second) return winerr::AccessDenied;
  std::unique_ptr<SerialPort> device;
  if (!attachment.device.empty()) {
    if (const DWORD error = posix::OpenSerialDevice(attachment.device, device)) {
      ports_->open.erase(*port);
      return error;
    }
  }
  out = std::make_unique<SimSerialPort>(lock_, *port, desiredAccess, attachment, std::move(device), ports_, clock_,
                                        faults_, handles_);
  return winerr::Success;
}

CommState SimSerial::PortState(const std::string& port) const {
  const auto held = lock_.Hold();
  const auto key = ComPortKey(port);
  const auto it = ports_->states.find(key.value_or(port));
  return it != ports_->states.end() ? it->second : CommState{};
}

}  // namespace platform::sim
