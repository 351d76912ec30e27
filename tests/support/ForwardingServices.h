#pragma once
// Seam services that pass every call to another service of the same kind: a test double derives
// from one and overrides only the calls it watches or changes.
#include "platform/PrintSpooler.h"
#include "platform/PrivateProfile.h"
#include "platform/Sockets.h"

namespace fakes {

class ForwardingSockets : public platform::Sockets {
public:
  using SOCKET = platform::SOCKET;
  using SockAddrIn = platform::SockAddrIn;
  explicit ForwardingSockets(platform::Sockets& inner) : inner_(inner) {}

  int WSAStartup(platform::WORD version) override { return inner_.WSAStartup(version); }
  int WSACleanup() override { return inner_.WSACleanup(); }
  int WSAGetLastError() override { return inner_.WSAGetLastError(); }
  SOCKET socket(int f, int t, int p) override { return inner_.socket(f, t, p); }
  int setsockopt(SOCKET s, int l, int n, int v) override { return inner_.setsockopt(s, l, n, v); }
  int setsockoptLinger(SOCKET s, bool on, std::uint16_t t) override { return inner_.setsockoptLinger(s, on, t); }
  int getsockopt(SOCKET s, int l, int n, int& v) override { return inner_.getsockopt(s, l, n, v); }
  int bind(SOCKET s, const SockAddrIn& a) override { return inner_.bind(s, a); }
  int getsockname(SOCKET s, SockAddrIn& a) override { return inner_.getsockname(s, a); }
  int getpeername(SOCKET s, SockAddrIn& a) override { return inner_.getpeername(s, a); }
  int connect(SOCKET s, const SockAddrIn& a) override { return inner_.connect(s, a); }
  int sendto(SOCKET s, std::span<const std::uint8_t> d, int f, const SockAddrIn& to) override {
    return inner_.sendto(s, d, f, to);
  }
  int recvfrom(SOCKET s, std::span<std::uint8_t> b, int f, SockAddrIn& from) override {
    return inner_.recvfrom(s, b, f, from);
  }
  int recv(SOCKET s, std::span<std::uint8_t> b, int f) override { return inner_.recv(s, b, f); }
  int select(SOCKET s, platform::SelectSet set, long us) override { return inner_.select(s, set, us); }
  int ioctlsocketFionread(SOCKET s, unsigned long& n) override { return inner_.ioctlsocketFionread(s, n); }
  int shutdown(SOCKET s, int how) override { return inner_.shutdown(s, how); }
  int closesocket(SOCKET s) override { return inner_.closesocket(s); }
  int gethostname(std::string& name) override { return inner_.gethostname(name); }
  bool gethostbyname(const std::string& n, std::vector<std::array<std::uint8_t, 4>>& a) override {
    return inner_.gethostbyname(n, a);
  }
  int WSAStringToAddressA(const std::string& t, int f, SockAddrIn& a) override {
    return inner_.WSAStringToAddressA(t, f, a);
  }

protected:
  platform::Sockets& inner_;
};

class ForwardingSpooler : public platform::PrintSpooler {
public:
  using DWORD = platform::DWORD;
  using Handle = std::unique_ptr<platform::PrinterHandle>;
  explicit ForwardingSpooler(platform::PrintSpooler& inner) : inner_(inner) {}

  DWORD OpenPrinterA(const std::string& n, DWORD a, Handle& out) override { return inner_.OpenPrinterA(n, a, out); }
  DWORD AddPrinterDriverA(const platform::DriverInfo3A& info) override { return inner_.AddPrinterDriverA(info); }
  DWORD AddPrinterA(const platform::PrinterInfo2A& info, Handle& out) override { return inner_.AddPrinterA(info, out); }
  DWORD GetPrinterDriverDirectoryA(std::string& d) override { return inner_.GetPrinterDriverDirectoryA(d); }
  DWORD EnumPortsA(std::vector<std::string>& names) override { return inner_.EnumPortsA(names); }
  DWORD AddMonitorA(const std::string& n, const platform::OptText& e, const std::string& dll) override {
    return inner_.AddMonitorA(n, e, dll);
  }
  DWORD AddPortExA(const std::string& port, const std::string& m) override { return inner_.AddPortExA(port, m); }
  DWORD DeletePortA(const std::string& port) override { return inner_.DeletePortA(port); }
  DWORD EnumPrintersA(std::vector<platform::PrinterInfo2A>& printers) override { return inner_.EnumPrintersA(printers); }
  DWORD DeletePrinterDriverExA(const std::string& n, DWORD flags, DWORD version) override {
    return inner_.DeletePrinterDriverExA(n, flags, version);
  }
  DWORD DeleteMonitorA(const std::string& n, const platform::OptText& e) override { return inner_.DeleteMonitorA(n, e); }
  DWORD GetPrinterDataW(platform::RawPrinterHandle p, const std::u16string& n, DWORD size, DWORD& type,
                        std::vector<std::uint8_t>& data, DWORD& needed) override {
    return inner_.GetPrinterDataW(p, n, size, type, data, needed);
  }
  DWORD SetPrinterDataW(platform::RawPrinterHandle p, const std::u16string& n, DWORD type,
                        const std::vector<std::uint8_t>& data) override {
    return inner_.SetPrinterDataW(p, n, type, data);
  }
  DWORD DeletePrinterDataW(platform::RawPrinterHandle p, const std::u16string& n) override {
    return inner_.DeletePrinterDataW(p, n);
  }

protected:
  platform::PrintSpooler& inner_;
};

class ForwardingProfile : public platform::PrivateProfile {
public:
  using DWORD = platform::DWORD;
  explicit ForwardingProfile(platform::PrivateProfile& inner) : inner_(inner) {}

  DWORD GetPrivateProfileSectionA(const std::string& s, std::vector<char>& b, const std::string& file) override {
    return inner_.GetPrivateProfileSectionA(s, b, file);
  }
  DWORD GetPrivateProfileStringA(const std::string& s, const std::string& k, const std::string& d,
                                 std::vector<char>& b, const std::string& file) override {
    return inner_.GetPrivateProfileStringA(s, k, d, b, file);
  }
  DWORD GetProfileSectionA(const std::string& s, std::vector<char>& b) override {
    return inner_.GetProfileSectionA(s, b);
  }
  DWORD WriteProfileStringA(const std::string& s, const std::string& k, const std::string& v) override {
    return inner_.WriteProfileStringA(s, k, v);
  }

protected:
  platform::PrivateProfile& inner_;
};

}  // namespace fakes
