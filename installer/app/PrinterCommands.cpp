#include "app/PrinterCommands.h"

#include <memory>

#include "app/ExitCodes.h"
#include "app/CommandGate.h"
#include "engine/CatalogPrinters.h"
#include "engine/PortMonitorContract.h"
#include "engine/PrinterRemoval.h"
#include "ui/Transcript.h"

namespace {

using platform::DWORD;

const char* OutcomeName(RemovalOutcome outcome) {
  switch (outcome) {
    case RemovalOutcome::Removed: return "removed";
    case RemovalOutcome::NotFound: return "not-found";
    case RemovalOutcome::Refused: return "refused";
    default: return "failed";
  }
}

std::optional<DWORD> ReadDword(platform::Registry& registry, const std::string& path, const char* name) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.OpenKey(platform::RootKey::LocalMachine, path, platform::regaccess::Read, key) != 0) return std::nullopt;
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  if (key->QueryValue(name, type, data) != 0 || type != platform::regtype::Dword || data.size() != 4) return std::nullopt;
  return static_cast<DWORD>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24);
}

// What the port monitor is told of the port: a COM port's serial settings, a network port's address.
std::string PortSettings(platform::Registry& registry, const std::string& port) {
  static const char* const kFlows[] = {"none", "rts-cts", "dtr-dsr"};
  std::string text;
  const std::string settings = std::string(kPortsIoKey) + "\\" + (port.ends_with(':') ? port.substr(0, port.size() - 1) : port);
  if (const auto baud = ReadDword(registry, settings, "baudrate")) text += " baud " + std::to_string(*baud);
  if (const auto flow = ReadDword(registry, settings, "flowcontrol"))
    text += std::string(" flow ") + (*flow < 3 ? kFlows[*flow] : std::to_string(*flow).c_str());
  const std::size_t ip = port.find(kNetworkPortMarker);
  if (ip != std::string::npos) {
    text += " ip " + port.substr(ip + std::string(kNetworkPortMarker).size());
    const auto number = ReadDword(registry, std::string(kMonitorKey) + "\\Ports\\" + port, kPortNumberValue);
    if (number) text += " tcp-port " + std::to_string(*number);
  }
  return text;
}

}  // namespace

int RemovePrintersCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  CommandGate gate(env);
  const std::unique_ptr<Win2kXPInstaller> installer = gate.Pass();
  if (!installer) return gate.ExitCode();
  ui::Transcript& transcript = gate.transcript();
  PrinterRemoval removal(*installer, [&](const std::string& note) { transcript.Line("note " + ui::Transcript::Quote(note)); });
  int code = kExitInstalled;
  for (const std::string& name : options.remove) {
    const RemovalOutcome outcome = removal.Remove(name);
    transcript.Line(std::string("outcome ") + OutcomeName(outcome) + " " + ui::Transcript::Quote(name));
    if (outcome == RemovalOutcome::Failed) code = kExitInstallFailed;
    else if (outcome != RemovalOutcome::Removed && code == kExitInstalled) code = kExitNotInstalled;
  }
  removal.Tidy();
  return code;
}

int ListPrintersCommand(ProgramEnvironment& env) {
  std::vector<platform::PrinterInfo2A> printers;
  if (const DWORD error = env.platform.spooler.EnumPrintersA(printers)) {
    env.err << "the spooler cannot list its printers: error " << error << '\n';
    return kExitSetupError;
  }
  for (const platform::PrinterInfo2A& printer : CatalogPrinters(env.platform.profile, printers)) {
    const std::string port = printer.pPortName.value_or("");
    env.out << "printer " << ui::Transcript::Quote(printer.pPrinterName.value_or("")) << " port "
            << ui::Transcript::Quote(port) << " driver " << ui::Transcript::Quote(printer.pDriverName.value_or(""))
            << PortSettings(env.platform.registry, port) << '\n';
  }
  return kExitInstalled;
}
