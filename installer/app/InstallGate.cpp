#include "app/InstallGate.h"

#include <exception>
#include <string_view>
#include <thread>
#include <vector>

#include "app/OsKind.h"
#include "engine/ErrorLog.h"
#include "platform/Windows1252.h"
#include "resource.h"

namespace {

using platform::DWORD;
using platform::UINT;
namespace winerr = platform::winerr;

constexpr UINT kExitRefused = 0xFFFFFFFE;
constexpr UINT kExitQuiet = 0;
constexpr UINT kExitFatal = 0xFFFFFFFF;
constexpr DWORD kUserNameBufferSize = 100;
constexpr std::size_t kPortsSectionSize = 1024;
constexpr const char* kPortsSection = "Ports";

// Some systems come without parallel ports in the profile, and the port monitor lists only the
// ports found there.
void ListParallelPorts(platform::PrivateProfile& profile) {
  std::vector<char> buffer(kPortsSectionSize);
  const DWORD length = profile.GetProfileSectionA(kPortsSection, buffer);
  if (length == 0) return;
  // Each entry whole ("name=value"), so "LPT" anywhere in it counts.
  const std::string_view listing(buffer.data(), length);
  for (std::size_t start = 0; start < listing.size();) {
    std::size_t end = listing.find('\0', start);
    if (end == std::string_view::npos) end = listing.size();
    if (listing.substr(start, end - start).find("LPT") != std::string_view::npos) return;
    start = end + 1;
  }
  for (const char* port : {"LPT1:", "LPT2:", "LPT3:", "LPT4:"}) {
    // A refusal leaves the ports as the system had them; the installation does not depend on them.
    (void)profile.WriteProfileStringA(kPortsSection, port, "");
  }
}

// What the installer works with. The kind is read again at every use, as the system may be asked
// afresh; where the version query fails, the kind the user picked at the gate stands, rather than
// the pick dialog coming up on the worker thread. Window messages are pumped only on the thread
// that owns the windows: the worker has none.
EngineContext InstallerContext(AppContext& context, OsKind pickedKind) {
  ui::Kit& kit = context.kit;
  platform::VersionInfo& version = context.platform.version;
  return EngineContext{
      context.platform,
      [&kit](int id) { return kit.LoadText(id); },
      [&version, pickedKind] {
        platform::OsVersionInfoA info;
        if (version.GetVersionExA(info) == winerr::Success) {
          if (const auto kind = OsKindFromVersion(info)) return *kind;
        }
        return pickedKind;
      },
      [&kit, windowsThread = std::this_thread::get_id()] {
        if (std::this_thread::get_id() == windowsThread) (void)kit.PumpMessages();  // nothing to learn from it
      },
      [&kit](const std::string& text, const std::string& caption) {
        (void)kit.ShowMessageBox(nullptr, text, caption, ui::mb::Ok);  // one button: nothing to decide
      }};
}

}  // namespace

bool HasInstallPrivilege(AppContext& context) {
  platform::Platform& os = context.platform;
  std::unique_ptr<platform::Library> netapi;
  if (os.libraries.LoadLibraryA("Netapi32.dll", netapi) != winerr::Success) return true;
  if (netapi->FindFunction("NetUserGetInfo") != winerr::Success ||
      netapi->FindFunction("NetApiBufferFree") != winerr::Success)
    return true;
  std::string user;
  if (const platform::DWORD error = os.process.GetUserNameA(kUserNameBufferSize, user); error != winerr::Success) {
    // The refusal's message names no cause.
    LogError(os.files, "GetUserName FAILED with code: %d", error);
    return false;
  }
  platform::UserInfo1 account;
  // The account's privilege level is fetched but not judged: no level that suffices is settled,
  // and Wine answers every account as a guest.
  (void)os.process.NetUserGetInfo(platform::AnsiToUtf16(user), account);
  return true;
}

std::unique_ptr<Win2kXPInstaller> CheckOperatingSystem(AppContext& context, ui::Dialog* owner, OsKind& osKind) {
  ui::Kit& kit = context.kit;
  platform::ProcessInfo& process = context.platform.process;
  try {
    const OsKind kind = DetectOsKind(context);
    osKind = kind;
    if (kind >= kOsWinNt4 && kind <= kOsWin2003 && !HasInstallPrivilege(context)) {
      kit.AppMessageBox(kit.LoadText(IDS_NO_PRIVILEGE));
      process.ExitProcess(kExitRefused);
    }
    if (kind == kOsWin95 || kind == kOsWin98 || kind == kOsWinNt4) {
      (void)kit.ShowMessageBox(owner, "Wrong Operating System", "OS Not Supported", ui::mb::Ok | ui::mb::IconError);
      process.ExitProcess(kExitRefused);
    }
    if (kind < kOsWin2000 || kind > kOsVistaOrLater) {
      kit.AppMessageBox("OS not supported!");
      process.ExitProcess(kExitQuiet);
    }
    if (kind == kOsWinXp || kind == kOsVistaOrLater) ListParallelPorts(context.platform.profile);
    return std::make_unique<Win2kXPInstaller>(InstallerContext(context, kind));
  } catch (const ui::UserException&) {
    process.ExitProcess(kExitQuiet);
  } catch (const std::exception&) {
    kit.AppMessageBox("Fatal Error Occured!");
    process.ExitProcess(kExitFatal);
  }
  return nullptr;  // not reached: ExitProcess does not return
}
