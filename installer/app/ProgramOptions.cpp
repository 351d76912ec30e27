#include "app/ProgramOptions.h"

#include <CLI/CLI.hpp>

#include "app/InterfaceNames.h"
#include "app/LongOptions.h"
#include "engine/PortMonitorContract.h"

namespace {

// Rates from the slowest a serial port's driver offers to the fastest a USB serial adapter takes;
// the baud box would take any digits and saturate where a port cannot follow.
constexpr unsigned long kLowestBaud = 110, kHighestBaud = 921600;

// A whole number from `lowest` to `highest`, written with digits only ("9600", not "9.6e3").
CLI::Validator WholeNumber(unsigned long lowest, unsigned long highest) {
  const std::string range = "a whole number from " + std::to_string(lowest) + " to " + std::to_string(highest);
  return CLI::Validator(
      [=](std::string& text) -> std::string {
        const bool digits = !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
        const unsigned long value = digits ? std::stoul(text) : 0;
        if (digits && value >= lowest && value <= highest) return {};
        return "\"" + text + "\" is not " + range;
      },
      range);
}

// The printer's own address: neither "no address" nor the broadcast address.
const CLI::Validator kPrinterAddress(
    [](std::string& text) -> std::string {
      if (!CLI::ValidIPV4(text).empty()) return "\"" + text + "\" is not an IP address A.B.C.D";
      if (text == "0.0.0.0" || text == "255.255.255.255") return text + " cannot be a printer's address";
      return {};
    },
    "A.B.C.D");

std::vector<LongOption> LongOptionsOf(const CLI::App& cli) {
  std::vector<LongOption> known;
  for (const CLI::Option* option : cli.get_options())
    for (const std::string& name : option->get_lnames())
      known.push_back({"--" + name, option->get_expected_min() > 0,
                       option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll});
  return known;
}

}  // namespace

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args) {
  ProgramOptions options;
  CLI::App cli{"Installs Korvex thermal receipt and kiosk printers.", "KvxInstaller"};
  cli.set_help_flag();  // "-h" must stay free: short words such as "-hidden" are the program's own flags
  cli.allow_extras();
  // "/hidden" is the program's own flag, and a value may begin with '/' (a file name): never an option.
  cli.allow_windows_style_options(false);
  cli.add_flag("--help", options.help, "Show the options");
  cli.add_option("--machine", options.machineDir, "Simulated machine folder (Linux build)");
  cli.add_option("--media", options.mediaDir, "Distribution folder to run from (default: the installed one, else the current directory)");
  cli.add_flag("--version", options.version, "Print the installer's and the plug-in's versions");
  cli.add_flag("--list-models", options.listModels, "Print the model list as the model dialog shows it");
  cli.add_flag("--unattended", options.unattended, "Answer the wizard from these options, print a transcript");
  cli.add_option("--model", options.model, "Model to install (default: the first listed)");
  cli.add_option("--driver", options.driver, "regular or reduced (default: as the dialog proposes)")->check(CLI::IsMember({"regular", "reduced"}));
  cli.add_option("--width", options.width, "80 or 48 (default: as the catalog proposes)")->check(CLI::IsMember({"80", "48"}));
  cli.add_option("--interface", options.interfaceKind, "serial, parallel, usb or ethernet (default: as the page proposes)")
      ->check(CLI::IsMember({interfacename::kSerial, interfacename::kParallel, interfacename::kUsb, interfacename::kEthernet}));
  cli.add_option("--port", options.port, "Port: an entry of the page's port list such as COM2 or LPT1 (any case, ':' optional)");
  cli.add_option("--type-port", options.typePort, "Port name typed into the page's port box as given");
  cli.add_option("--baud", options.baud, "Baud rate typed into the serial page")->check(WholeNumber(kLowestBaud, kHighestBaud));
  cli.add_option("--flow", options.flow, "rts-cts, dtr-dsr or none")->check(CLI::IsMember({"rts-cts", "dtr-dsr", "none"}));
  cli.add_flag("--detect", options.detect, "Press \"Detect\" on the serial page");
  cli.add_flag("--add-vcom-port", options.addVcomPort, "Press \"Add a new port\" on the USB page and answer OK");
  cli.add_option("--ip", options.ip, "IP address A.B.C.D of an ethernet printer")->check(kPrinterAddress);
  cli.add_option("--tcp-port", options.tcpPort, "TCP port of an ethernet printer (default " + std::to_string(kDefaultTcpPort) + ")")->check(WholeNumber(1, 65535));
  cli.add_flag("--search", options.search, "Press \"Setup...\" and \"Search\" on the ethernet page, take a board, OK");
  cli.add_option("--board", options.board, "The board to take after --search (MAC address; default: the first found)");
  cli.add_option("--board-ip", options.boardIp, "New IP address of the board")->check(CLI::ValidIPV4);
  cli.add_option("--board-mask", options.boardMask, "New subnet mask of the board")->check(CLI::ValidIPV4);
  cli.add_option("--board-gateway", options.boardGateway, "New gateway of the board")->check(CLI::ValidIPV4);
  cli.add_option("--board-port", options.boardPort, "New TCP port of the board")->check(WholeNumber(0, 65535));
  cli.add_option("--board-dhcp", options.boardDhcp, "on or off: the board takes its address by DHCP (Lindor boards)")
      ->check(CLI::IsMember({"on", "off"}));
  cli.add_flag("--find-boards", options.findBoards, "Print the ethernet boards that answer a search, one per line");
  cli.add_option("--set-board", options.setBoard, "Give the board with this MAC address the --board-* settings");
  cli.add_option("--kind", options.boardKind, "ostrel or lindor: the boards to search for (default: both)")
      ->check(CLI::IsMember({"ostrel", "lindor"}));
  cli.add_option("--network", options.network, "host: search this computer's own networks (Linux build)")
      ->check(CLI::IsMember({"host"}));
  cli.add_option("--remove", options.remove, "Take the printer of this name off, with what its installation added (repeatable)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  cli.add_option("--export-settings", options.exportSettings, "PRINTER FILE: save the printer's settings to a printer-settings file")
      ->expected(2);
  cli.add_option("--import-settings", options.importSettings, "PRINTER FILE: give the printer the settings of a printer-settings file")
      ->expected(2);
  cli.add_option("--settings", options.settingsFile, "FILE: give the printer an unattended installation leaves the settings of this file");
  cli.add_flag("--list-printers", options.listPrinters, "Print the printers the catalog knows: name, port, driver, port settings");
  cli.add_option("--if-exists", options.ifExists, "new, change-port or cancel: when the printer exists on another port")
      ->check(CLI::IsMember({"new", "change-port", "cancel"}));
  cli.add_option("--connect-prompt", options.connectPrompt, "ok or cancel: the answer to \"plug in your printer\" (default ok)")
      ->check(CLI::IsMember({"ok", "cancel"}));
  cli.add_option("--test-page", options.testPage, "yes or no: print the test page (default no)")
      ->check(CLI::IsMember({"yes", "no"}));
  options.helpText = cli.help();

  // Refused before anything is taken, so that no option counts from a command line with a fault.
  options.error = CheckLongOptions(args, LongOptionsOf(cli));
  if (!options.error.empty()) return options;
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    cli.parse(reversed);
  } catch (const CLI::ParseError& e) {
    options.error = e.what();
    return options;
  }
  // What CLI11 did not take goes to the framework-style parser, in command-line order.
  ParseCommandLine(cli.remaining(), options.flags);
  if (options.error.empty()) options.error = UnusableOptionError(options);
  return options;
}

bool WantsConsoleOutput(const ProgramOptions& options) {
  return options.listModels || options.listPrinters || !options.remove.empty() || !options.exportSettings.empty() ||
         !options.importSettings.empty() || options.findBoards || !options.setBoard.empty() || options.unattended ||
         options.help || options.version || !options.error.empty();
}

std::string UnusableOptionError(const ProgramOptions& options) {
  // The hidden flag skips the model dialog: the first model would be taken silently.
  if (options.flags.hidden) {
    for (const auto& [name, value] : {std::pair{"--model", &options.model}, {"--driver", &options.driver},
                                      {"--width", &options.width}})
      if (!value->empty()) return std::string(name) + " cannot be honoured with \"hidden\", which skips the model dialog";
  }
  if (options.findBoards && !options.setBoard.empty()) return "--find-boards and --set-board: give one";
  const int commands = int{!options.remove.empty()} + int{options.listPrinters} + int{!options.exportSettings.empty()} +
                       int{!options.importSettings.empty()};
  if (commands > 1) return "--remove, --list-printers, --export-settings and --import-settings: give one";
  if (!options.settingsFile.empty() && !options.unattended) return "--settings applies to an --unattended installation";
  if (!options.port.empty() && !options.typePort.empty()) return "--port and --type-port both choose the port: give one";
  if (options.detect && !options.typePort.empty()) return "--detect and --type-port both choose the port: give one";
  if (options.interfaceKind.empty()) return {};
  const std::string& kind = options.interfaceKind;
  const struct {
    const char* name;
    bool given;
    bool usable;
  } pageOptions[] = {
      {"--port", !options.port.empty(), kind != interfacename::kEthernet},
      {"--type-port", !options.typePort.empty(), kind != interfacename::kEthernet},
      {"--baud", !options.baud.empty(), kind == interfacename::kSerial},
      {"--flow", !options.flow.empty(), kind == interfacename::kSerial},
      {"--detect", options.detect, kind == interfacename::kSerial},
      {"--add-vcom-port", options.addVcomPort, kind == interfacename::kUsb},
      {"--ip", !options.ip.empty(), kind == interfacename::kEthernet},
      {"--tcp-port", !options.tcpPort.empty(), kind == interfacename::kEthernet},
      {"--search", options.search, kind == interfacename::kEthernet},
  };
  for (const auto& option : pageOptions)
    if (option.given && !option.usable) return std::string(option.name) + " is not used by the " + kind + " interface";
  if (options.search && !options.ip.empty()) return "--ip and --search both choose the printer's address: give one";
  const bool boardOptions = !options.board.empty() || !options.boardIp.empty() || !options.boardMask.empty() ||
                            !options.boardGateway.empty() || !options.boardPort.empty() || !options.boardDhcp.empty();
  if (options.unattended && boardOptions && !options.search) return "--board and --board-* choose a board of --search";
  return {};
}
