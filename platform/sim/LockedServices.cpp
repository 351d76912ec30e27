#include "platform/sim/LockedServices.h"

#include <cstdlib>
#include <utility>

namespace platform::sim {
namespace {

class Guarded {
protected:
  explicit Guarded(MachineMutex mutex) : mutex_(std::move(mutex)) {}
  template <class Call>
  auto Locked(Call&& call) const {
    std::lock_guard lock(*mutex_);
    return call();
  }
  MachineMutex mutex_;
};

// A service of the machine whose every call holds the lock.
template <class Interface>
class LockedService : public Interface, protected Guarded {
public:
  LockedService(MachineMutex mutex, Interface& inner) : Guarded(std::move(mutex)), inner_(inner) {}

protected:
  Interface& inner_;
};

// A handle given out by the machine: its calls and its closing hold the lock.
template <class Interface>
class LockedHandle : public Interface, protected Guarded {
public:
  LockedHandle(MachineMutex mutex, std::unique_ptr<Interface> inner)
      : Guarded(std::move(mutex)), inner_(std::move(inner)) {}
  ~LockedHandle() override {
    std::lock_guard lock(*mutex_);
    inner_.reset();
  }

protected:
  std::unique_ptr<Interface> inner_;
};

// Passes a call's result on, with the handle it gave out (if any) behind the lock too.
template <class Wrapper, class Interface, class Result>
Result Hand(const MachineMutex& mutex, Result result, std::unique_ptr<Interface>& out) {
  if (out) out = std::make_unique<Wrapper>(mutex, std::move(out));
  return result;
}

class LockedRegistryKey final : public LockedHandle<RegistryKey> {
public:
  using LockedHandle::LockedHandle;
  LONG OpenSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] { return Hand<LockedRegistryKey>(mutex_, inner_->OpenSubKey(subKey, access, out), out); });
  }
  LONG CreateSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] { return Hand<LockedRegistryKey>(mutex_, inner_->CreateSubKey(subKey, access, out), out); });
  }
  LONG QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override {
    return Locked([&] { return inner_->QueryValue(name, type, data); });
  }
  LONG SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) override {
    return Locked([&] { return inner_->SetValue(name, type, data); });
  }
  LONG DeleteValue(const std::string& name) override {
    return Locked([&] { return inner_->DeleteValue(name); });
  }
  LONG EnumKey(DWORD index, std::string& name) override {
    return Locked([&] { return inner_->EnumKey(index, name); });
  }
  LONG EnumValue(DWORD index, std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override {
    return Locked([&] { return inner_->EnumValue(index, name, type, data); });
  }
  LONG SaveKeyExW(const std::u16string& file, DWORD flags) override {
    return Locked([&] { return inner_->SaveKeyExW(file, flags); });
  }
  LONG RestoreKeyW(const std::u16string& file, DWORD flags) override {
    return Locked([&] { return inner_->RestoreKeyW(file, flags); });
  }
};

class LockedRegistry final : public LockedService<Registry> {
public:
  using LockedService::LockedService;
  LONG OpenKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] { return Hand<LockedRegistryKey>(mutex_, inner_.OpenKey(root, subKey, access, out), out); });
  }
  LONG OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] { return Hand<LockedRegistryKey>(mutex_, inner_.OpenKeyW(root, subKey, access, out), out); });
  }
  LONG CreateKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] { return Hand<LockedRegistryKey>(mutex_, inner_.CreateKey(root, subKey, access, out), out); });
  }
  LONG DeleteKey(RootKey root, const std::string& subKey) override {
    return Locked([&] { return inner_.DeleteKey(root, subKey); });
  }
};

class LockedProfile final : public LockedService<PrivateProfile> {
public:
  using LockedService::LockedService;
  DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                  const std::string& fileName) override {
    return Locked([&] { return inner_.GetPrivateProfileSectionA(section, buffer, fileName); });
  }
  DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& defaultValue,
                                 std::vector<char>& buffer, const std::string& fileName) override {
    return Locked([&] { return inner_.GetPrivateProfileStringA(section, key, defaultValue, buffer, fileName); });
  }
  DWORD GetProfileSectionA(const std::string& section, std::vector<char>& buffer) override {
    return Locked([&] { return inner_.GetProfileSectionA(section, buffer); });
  }
  DWORD WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) override {
    return Locked([&] { return inner_.WriteProfileStringA(section, key, value); });
  }
};

class LockedVersion final : public LockedService<VersionInfo> {
public:
  using LockedService::LockedService;
  DWORD GetVersionExA(OsVersionInfoA& info) override {
    return Locked([&] { return inner_.GetVersionExA(info); });
  }
};

class LockedAccessToken final : public LockedHandle<AccessToken> {
public:
  using LockedHandle::LockedHandle;
  DWORD AdjustPrivilege(const Luid& privilege, DWORD attributes, bool& allAssigned) override {
    return Locked([&] { return inner_->AdjustPrivilege(privilege, attributes, allAssigned); });
  }
};

class LockedProcess final : public LockedService<ProcessInfo> {
public:
  using LockedService::LockedService;
  std::string GetModuleFileNameA() override {
    return Locked([&] { return inner_.GetModuleFileNameA(); });
  }
  LANGID GetUserDefaultUILanguage() override {
    return Locked([&] { return inner_.GetUserDefaultUILanguage(); });
  }
  // Throws without touching the machine: nothing to hold the lock for.
  [[noreturn]] void ExitProcess(UINT code) override {
    inner_.ExitProcess(code);
    std::abort();  // not reached; GCC does not see that a virtual [[noreturn]] call never returns
  }
  DWORD GetUserNameA(DWORD bufferSize, std::string& name) override {
    return Locked([&] { return inner_.GetUserNameA(bufferSize, name); });
  }
  DWORD NetUserGetInfo(const std::u16string& userName, UserInfo1& info) override {
    return Locked([&] { return inner_.NetUserGetInfo(userName, info); });
  }
  DWORD OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) override {
    return Locked([&] { return Hand<LockedAccessToken>(mutex_, inner_.OpenProcessToken(access, out), out); });
  }
  DWORD LookupPrivilegeValueW(const std::u16string& name, Luid& luid) override {
    return Locked([&] { return inner_.LookupPrivilegeValueW(name, luid); });
  }
};

class LockedServiceHandle final : public LockedHandle<ServiceHandle> {
public:
  using LockedHandle::LockedHandle;
  DWORD ControlService(DWORD control, ServiceStatus& status) override {
    return Locked([&] { return inner_->ControlService(control, status); });
  }
  DWORD QueryServiceStatus(ServiceStatus& status) override {
    return Locked([&] { return inner_->QueryServiceStatus(status); });
  }
  DWORD StartServiceA() override {
    return Locked([&] { return inner_->StartServiceA(); });
  }
};

class LockedServiceManagerHandle final : public LockedHandle<ServiceManagerHandle> {
public:
  using LockedHandle::LockedHandle;
  DWORD OpenServiceA(const std::string& serviceName, DWORD access, std::unique_ptr<ServiceHandle>& out) override {
    return Locked(
        [&] { return Hand<LockedServiceHandle>(mutex_, inner_->OpenServiceA(serviceName, access, out), out); });
  }
};

class LockedServiceControl final : public LockedService<ServiceControl> {
public:
  using LockedService::LockedService;
  DWORD OpenSCManagerA(DWORD access, std::unique_ptr<ServiceManagerHandle>& out) override {
    return Locked([&] { return Hand<LockedServiceManagerHandle>(mutex_, inner_.OpenSCManagerA(access, out), out); });
  }
};

class LockedPrinterHandle final : public LockedHandle<PrinterHandle> {
public:
  using LockedHandle::LockedHandle;
  RawPrinterHandle Raw() const override { return inner_->Raw(); }
  DWORD GetPrinter2A(DWORD bufferSize, DWORD& needed, PrinterInfo2A& info) override {
    return Locked([&] { return inner_->GetPrinter2A(bufferSize, needed, info); });
  }
  DWORD SetPrinter2A(const PrinterInfo2A& info) override {
    return Locked([&] { return inner_->SetPrinter2A(info); });
  }
  DWORD SetPrinterDataA(const std::string& valueName, DWORD type, const std::vector<std::uint8_t>& data) override {
    return Locked([&] { return inner_->SetPrinterDataA(valueName, type, data); });
  }
  LONG DocumentPropertiesA(const std::string& deviceName, std::vector<std::uint8_t>* out,
                           const std::vector<std::uint8_t>* in, DWORD mode) override {
    return Locked([&] { return inner_->DocumentPropertiesA(deviceName, out, in, mode); });
  }
  DWORD StartDocPrinterA(const std::string& docName, const OptText& outputFile, const OptText& datatype,
                         DWORD& jobId) override {
    return Locked([&] { return inner_->StartDocPrinterA(docName, outputFile, datatype, jobId); });
  }
  DWORD StartPagePrinter() override {
    return Locked([&] { return inner_->StartPagePrinter(); });
  }
  DWORD WritePrinter(std::span<const std::uint8_t> bytes, DWORD& written) override {
    return Locked([&] { return inner_->WritePrinter(bytes, written); });
  }
  DWORD EndPagePrinter() override {
    return Locked([&] { return inner_->EndPagePrinter(); });
  }
  DWORD EndDocPrinter() override {
    return Locked([&] { return inner_->EndDocPrinter(); });
  }
  DWORD AbortPrinter() override {
    return Locked([&] { return inner_->AbortPrinter(); });
  }
};

class LockedSpooler final : public LockedService<PrintSpooler> {
public:
  using LockedService::LockedService;
  DWORD OpenPrinterA(const std::string& printerName, DWORD desiredAccess,
                     std::unique_ptr<PrinterHandle>& out) override {
    return Locked(
        [&] { return Hand<LockedPrinterHandle>(mutex_, inner_.OpenPrinterA(printerName, desiredAccess, out), out); });
  }
  DWORD AddPrinterDriverA(const DriverInfo3A& info) override {
    return Locked([&] { return inner_.AddPrinterDriverA(info); });
  }
  DWORD AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) override {
    return Locked([&] { return Hand<LockedPrinterHandle>(mutex_, inner_.AddPrinterA(info, out), out); });
  }
  DWORD GetPrinterDriverDirectoryA(std::string& directory) override {
    return Locked([&] { return inner_.GetPrinterDriverDirectoryA(directory); });
  }
  DWORD EnumPortsA(std::vector<std::string>& portNames) override {
    return Locked([&] { return inner_.EnumPortsA(portNames); });
  }
  DWORD AddMonitorA(const std::string& name, const OptText& environment, const std::string& dllName) override {
    return Locked([&] { return inner_.AddMonitorA(name, environment, dllName); });
  }
  DWORD AddPortExA(const std::string& portName, const std::string& monitorName) override {
    return Locked([&] { return inner_.AddPortExA(portName, monitorName); });
  }
  DWORD GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD bufferSize, DWORD& type,
                        std::vector<std::uint8_t>& data, DWORD& needed) override {
    return Locked([&] { return inner_.GetPrinterDataW(printer, valueName, bufferSize, type, data, needed); });
  }
  DWORD SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD type,
                        const std::vector<std::uint8_t>& data) override {
    return Locked([&] { return inner_.SetPrinterDataW(printer, valueName, type, data); });
  }
};

class LockedMessages final : public LockedService<WindowMessages> {
public:
  using LockedService::LockedService;
  DWORD BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags, DWORD timeoutMs) override {
    return Locked([&] { return inner_.BroadcastTextMessageA(message, text, flags, timeoutMs); });
  }
  DWORD BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags, DWORD timeoutMs) override {
    return Locked([&] { return inner_.BroadcastTextMessageW(message, text, flags, timeoutMs); });
  }
};

class LockedFonts final : public LockedService<Fonts> {
public:
  using LockedService::LockedService;
  std::vector<FontFamily> EnumScreenFontFamilies() override {
    return Locked([&] { return inner_.EnumScreenFontFamilies(); });
  }
};

class LockedFiles final : public LockedService<FileSystem> {
public:
  using LockedService::LockedService;
  DWORD GetSystemDirectoryA(std::string& directory) override {
    return Locked([&] { return inner_.GetSystemDirectoryA(directory); });
  }
  DWORD GetFullPathNameA(const std::string& name, DWORD bufferSize, std::string& path, DWORD& required) override {
    return Locked([&] { return inner_.GetFullPathNameA(name, bufferSize, path, required); });
  }
  DWORD CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) override {
    return Locked([&] { return inner_.CopyFileA(existing, target, failIfExists); });
  }
  DWORD GetFileAttributesA(const std::string& name, DWORD& attributes) override {
    return Locked([&] { return inner_.GetFileAttributesA(name, attributes); });
  }
  DWORD SetFileAttributesA(const std::string& name, DWORD attributes) override {
    return Locked([&] { return inner_.SetFileAttributesA(name, attributes); });
  }
  DWORD DeleteFileA(const std::string& name) override {
    return Locked([&] { return inner_.DeleteFileA(name); });
  }
  DWORD AppendToFileA(const std::string& name, std::string_view bytes) override {
    return Locked([&] { return inner_.AppendToFileA(name, bytes); });
  }
  DWORD GetFileVersionA(const std::string& name, FileVersion& version) override {
    return Locked([&] { return inner_.GetFileVersionA(name, version); });
  }
  DWORD DeleteFileW(const std::u16string& name) override {
    return Locked([&] { return inner_.DeleteFileW(name); });
  }
  DWORD MoveFileExW(const std::u16string& existing, const std::u16string& target, DWORD flags) override {
    return Locked([&] { return inner_.MoveFileExW(existing, target, flags); });
  }
};

class LockedLibrary final : public LockedHandle<Library> {
public:
  using LockedHandle::LockedHandle;
  DWORD FindFunction(const std::string& name) override {
    return Locked([&] { return inner_->FindFunction(name); });
  }
};

class LockedLibraries final : public LockedService<Libraries> {
public:
  using LockedService::LockedService;
  DWORD LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) override {
    return Locked([&] { return Hand<LockedLibrary>(mutex_, inner_.LoadLibraryA(name, out), out); });
  }
};

class LockedDeviceInfoSet final : public LockedHandle<DeviceInfoSet> {
public:
  using LockedHandle::LockedHandle;
  DWORD SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) override {
    return Locked([&] { return inner_->SetupDiEnumDeviceInfo(index, device); });
  }
  DWORD SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property, DWORD bufferSize,
                                          DWORD& regType, std::vector<std::uint8_t>& data, DWORD& required) override {
    return Locked(
        [&] { return inner_->SetupDiGetDeviceRegistryPropertyA(device, property, bufferSize, regType, data, required); });
  }
  DWORD SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile, DWORD keyType, DWORD access,
                             std::unique_ptr<RegistryKey>& out) override {
    return Locked([&] {
      return Hand<LockedRegistryKey>(mutex_, inner_->SetupDiOpenDevRegKey(device, scope, profile, keyType, access, out),
                                     out);
    });
  }
};

class LockedDeviceSetup final : public LockedService<DeviceSetup> {
public:
  using LockedService::LockedService;
  DWORD SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount, std::vector<Guid>& guids,
                                   DWORD& required) override {
    return Locked([&] { return inner_.SetupDiClassGuidsFromNameA(className, bufferCount, guids, required); });
  }
  DWORD SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags, std::unique_ptr<DeviceInfoSet>& out) override {
    return Locked([&] { return Hand<LockedDeviceInfoSet>(mutex_, inner_.SetupDiGetClassDevsA(classGuid, flags, out), out); });
  }
  DWORD UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId, const std::string& fullInfPath,
                                           DWORD installFlags, bool& rebootRequired) override {
    return Locked(
        [&] { return inner_.UpdateDriverForPlugAndPlayDevicesA(hardwareId, fullInfPath, installFlags, rebootRequired); });
  }
};

// Reads and writes wait for the line (in virtual or, on a mapped device, real time): they run
// outside the lock, on the handle's own state.
class LockedSerialPort final : public LockedHandle<SerialPort> {
public:
  using LockedHandle::LockedHandle;
  DWORD SetupComm(DWORD inQueue, DWORD outQueue) override {
    return Locked([&] { return inner_->SetupComm(inQueue, outQueue); });
  }
  DWORD PurgeComm(DWORD flags) override {
    return Locked([&] { return inner_->PurgeComm(flags); });
  }
  DWORD GetCommState(CommState& state) override {
    return Locked([&] { return inner_->GetCommState(state); });
  }
  DWORD SetCommState(const CommState& state) override {
    return Locked([&] { return inner_->SetCommState(state); });
  }
  DWORD GetCommTimeouts(CommTimeouts& timeouts) override {
    return Locked([&] { return inner_->GetCommTimeouts(timeouts); });
  }
  DWORD SetCommTimeouts(const CommTimeouts& timeouts) override {
    return Locked([&] { return inner_->SetCommTimeouts(timeouts); });
  }
  DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) override {
    return inner_->WriteFile(data, written);
  }
  DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) override { return inner_->ReadFile(buffer, read); }
};

class LockedSerial final : public LockedService<Serial> {
public:
  using LockedService::LockedService;
  DWORD CreateFileA(const std::string& name, DWORD desiredAccess, std::unique_ptr<SerialPort>& out) override {
    return Locked([&] { return Hand<LockedSerialPort>(mutex_, inner_.CreateFileA(name, desiredAccess, out), out); });
  }
  DWORD GetDefaultCommConfigA(const std::string& name, CommState& state) override {
    return Locked([&] { return inner_.GetDefaultCommConfigA(name, state); });
  }
  DWORD SetDefaultCommConfigA(const std::string& name, const CommState& state) override {
    return Locked([&] { return inner_.SetDefaultCommConfigA(name, state); });
  }
};

class LockedBitmap final : public LockedHandle<Bitmap> {
public:
  using LockedHandle::LockedHandle;
  DWORD GetObjectA(BitmapSize& size) override {
    return Locked([&] { return inner_->GetObjectA(size); });
  }
  Bitmap& inner() { return *inner_; }
};

// The machine's own handle behind a wrapper, for a call that takes one handle as another's argument.
template <class Wrapper, class Interface>
Interface& Unwrapped(Interface& handle) {
  auto* wrapper = dynamic_cast<Wrapper*>(&handle);
  return wrapper ? wrapper->inner() : handle;
}

class LockedMemoryDC final : public LockedHandle<MemoryDC> {
public:
  using LockedHandle::LockedHandle;
  DWORD SelectBitmap(Bitmap& bitmap) override {
    return Locked([&] { return inner_->SelectBitmap(Unwrapped<LockedBitmap>(bitmap)); });
  }
  MemoryDC& inner() { return *inner_; }
};

class LockedPrinterDC final : public LockedHandle<PrinterDC> {
public:
  using LockedHandle::LockedHandle;
  int GetDeviceCaps(int index) override {
    return Locked([&] { return inner_->GetDeviceCaps(index); });
  }
  DWORD SelectPointFont(const std::string& face, int tenthsOfPoint) override {
    return Locked([&] { return inner_->SelectPointFont(face, tenthsOfPoint); });
  }
  DWORD StartDocA(const std::string& docName, int& jobId) override {
    return Locked([&] { return inner_->StartDocA(docName, jobId); });
  }
  DWORD StartPage() override {
    return Locked([&] { return inner_->StartPage(); });
  }
  DWORD EndPage() override {
    return Locked([&] { return inner_->EndPage(); });
  }
  DWORD EndDoc() override {
    return Locked([&] { return inner_->EndDoc(); });
  }
  int SetStretchBltMode(int mode) override {
    return Locked([&] { return inner_->SetStretchBltMode(mode); });
  }
  int DrawTextA(const std::string& text, GdiRect& rect, UINT format) override {
    return Locked([&] { return inner_->DrawTextA(text, rect, format); });
  }
  DWORD StretchBlt(int x, int y, int width, int height, MemoryDC& source, int sourceX, int sourceY, int sourceWidth,
                   int sourceHeight, DWORD rop) override {
    return Locked([&] {
      return inner_->StretchBlt(x, y, width, height, Unwrapped<LockedMemoryDC>(source), sourceX, sourceY, sourceWidth,
                                sourceHeight, rop);
    });
  }
};

class LockedPrinting final : public LockedService<Printing> {
public:
  using LockedService::LockedService;
  DWORD CreateDCA(const std::string& driver, const std::string& device, const std::string& port,
                  std::unique_ptr<PrinterDC>& out) override {
    return Locked([&] { return Hand<LockedPrinterDC>(mutex_, inner_.CreateDCA(driver, device, port, out), out); });
  }
  DWORD LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) override {
    return Locked([&] { return Hand<LockedBitmap>(mutex_, inner_.LoadBitmapA(resourceId, out), out); });
  }
  DWORD CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) override {
    return Locked([&] { return Hand<LockedMemoryDC>(mutex_, inner_.CreateCompatibleDC(out), out); });
  }
};

// select and the receives wait for datagrams on the virtual clock: they run outside the lock, on
// the network's own state. sendto holds it: a board's new settings go into the machine document.
class LockedSockets final : public LockedService<Sockets> {
public:
  using LockedService::LockedService;
  int WSAStartup(WORD version) override {
    return Locked([&] { return inner_.WSAStartup(version); });
  }
  int WSACleanup() override {
    return Locked([&] { return inner_.WSACleanup(); });
  }
  int WSAGetLastError() override { return inner_.WSAGetLastError(); }
  SOCKET socket(int family, int type, int protocol) override {
    return Locked([&] { return inner_.socket(family, type, protocol); });
  }
  int setsockopt(SOCKET s, int level, int name, int value) override {
    return Locked([&] { return inner_.setsockopt(s, level, name, value); });
  }
  int setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) override {
    return Locked([&] { return inner_.setsockoptLinger(s, on, seconds); });
  }
  int getsockopt(SOCKET s, int level, int name, int& value) override {
    return Locked([&] { return inner_.getsockopt(s, level, name, value); });
  }
  int bind(SOCKET s, const SockAddrIn& local) override {
    return Locked([&] { return inner_.bind(s, local); });
  }
  int getsockname(SOCKET s, SockAddrIn& local) override {
    return Locked([&] { return inner_.getsockname(s, local); });
  }
  int getpeername(SOCKET s, SockAddrIn& peer) override {
    return Locked([&] { return inner_.getpeername(s, peer); });
  }
  int connect(SOCKET s, const SockAddrIn& peer) override {
    return Locked([&] { return inner_.connect(s, peer); });
  }
  int sendto(SOCKET s, std::span<const std::uint8_t> data, int flags, const SockAddrIn& to) override {
    return Locked([&] { return inner_.sendto(s, data, flags, to); });
  }
  int recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) override {
    return inner_.recvfrom(s, buffer, flags, from);
  }
  int recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) override { return inner_.recv(s, buffer, flags); }
  int select(SOCKET s, SelectSet set, long timeoutMicroseconds) override {
    return inner_.select(s, set, timeoutMicroseconds);
  }
  int ioctlsocketFionread(SOCKET s, unsigned long& count) override {
    return Locked([&] { return inner_.ioctlsocketFionread(s, count); });
  }
  int shutdown(SOCKET s, int how) override {
    return Locked([&] { return inner_.shutdown(s, how); });
  }
  int closesocket(SOCKET s) override {
    return Locked([&] { return inner_.closesocket(s); });
  }
  int gethostname(std::string& name) override {
    return Locked([&] { return inner_.gethostname(name); });
  }
  bool gethostbyname(const std::string& name, std::vector<std::array<std::uint8_t, 4>>& addresses) override {
    return Locked([&] { return inner_.gethostbyname(name, addresses); });
  }
  int WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) override {
    return Locked([&] { return inner_.WSAStringToAddressA(text, family, address); });
  }
};

class LockedIpHelper final : public LockedService<IpHelper> {
public:
  using LockedService::LockedService;
  DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) override {
    return Locked([&] { return inner_.GetAdaptersInfo(bufferSize, adapters); });
  }
};

}  // namespace

struct LockedServices::Wrappers {
  Clock& clock;
  LockedRegistry registry;
  LockedProfile profile;
  LockedVersion version;
  LockedProcess process;
  LockedServiceControl services;
  LockedSpooler spooler;
  LockedMessages messages;
  LockedFiles files;
  LockedLibraries libraries;
  LockedDeviceSetup devices;
  Threads& threads;
  LockedSerial serial;
  LockedPrinting printing;
  LockedSockets sockets;
  LockedIpHelper ipHelper;
  LastError& lastError;  // per thread: nothing to lock
  LockedFonts fonts;
};

LockedServices::LockedServices(MachineMutex mutex, Platform services)
    : wrappers_(new Wrappers{services.clock,
                             {mutex, services.registry},
                             {mutex, services.profile},
                             {mutex, services.version},
                             {mutex, services.process},
                             {mutex, services.services},
                             {mutex, services.spooler},
                             {mutex, services.messages},
                             {mutex, services.files},
                             {mutex, services.libraries},
                             {mutex, services.devices},
                             services.threads,
                             {mutex, services.serial},
                             {mutex, services.printing},
                             {mutex, services.sockets},
                             {mutex, services.ipHelper},
                             services.lastError,
                             {mutex, services.fonts}}) {}

LockedServices::~LockedServices() = default;

Platform LockedServices::platform() {
  Wrappers& w = *wrappers_;
  return Platform{w.clock,    w.registry, w.profile, w.version,   w.process, w.services,
                  w.spooler,  w.messages, w.files,   w.libraries, w.devices, w.threads, w.serial, w.printing,
                  w.sockets, w.ipHelper, w.lastError, w.fonts};
}

}  // namespace platform::sim
