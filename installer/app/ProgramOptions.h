#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/CCustomCommandLineInfo.h"

// Everything the command line asks for: the program's own flags and the long options
// of the unattended mode. Other plain words are ignored; an unknown "--" option is an error.
struct ProgramOptions {
  CCustomCommandLineInfo flags;
  std::optional<std::string> machineDir;  // simulated machine folder (Linux build)
  std::optional<std::string> mediaDir;    // the distribution folder to run from (see MediaFolder)
  bool version = false;
  bool listModels = false;
  bool unattended = false;
  bool help = false;
  std::string model;          // empty: the first listed model
  std::string driver;         // "regular" or "reduced"; empty: as the dialog proposes
  std::string width;          // "80" or "48"; empty: as the dialog proposes
  // The interface page; empty or false: as the page proposes.
  std::string interfaceKind;  // "serial", "parallel", "usb" or "ethernet"
  std::string port;           // an entry of the page's port list (with or without ':', any case)
  std::string typePort;       // typed into the port box as given
  std::string baud;           // typed into the baud-rate box
  std::string flow;           // "rts-cts", "dtr-dsr" or "none"
  bool detect = false;        // press "Detect"
  bool addVcomPort = false;   // press "Add a new port" and answer OK
  std::string ip;             // typed into the IP address control
  std::string tcpPort;        // the ethernet page's TCP port
  bool search = false;        // "Setup...", "Search", a board, OK
  std::string board;          // the board to take (MAC with ':' or '-'); empty: the first found
  // A board's new settings ("Update" before OK; --set-board): empty keeps the board's own.
  std::string boardIp, boardMask, boardGateway, boardPort;
  std::string boardDhcp;      // "on" or "off"
  // The technician's board commands (no wizard).
  bool findBoards = false;    // list the boards that answer a search
  std::string setBoard;       // MAC (':' or '-') of the board to give the --board-* settings
  std::string boardKind;      // "ostrel" or "lindor"; empty: both kinds
  std::string network;        // "host": the computer's own network (Linux build); empty: the machine's
  // The technician's printer commands (no wizard).
  std::vector<std::string> remove;  // printers to take off, in command-line order
  bool listPrinters = false;        // list the printers the catalog knows
  // A printer's settings carried in a printer-settings file: printer name, then file name.
  std::vector<std::string> exportSettings, importSettings;
  std::string settingsFile;         // given to the printer an unattended installation leaves
  // The installation run's questions.
  std::string ifExists;       // "new", "change-port" or "cancel"; empty: Cancel, and a problem
  std::string connectPrompt = "ok";  // "ok" or "cancel": plug in the USB printer
  std::string testPage = "no";       // "yes" or "no"
  std::string error;          // why the command line cannot be carried out: one line
  std::string helpText;
};

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// Why the options cannot all be carried out whatever the dialogs offer (empty when they can):
// an option of another interface's page, or a model choice the hidden flag would skip.
std::string UnusableOptionError(const ProgramOptions& options);

// True when the run writes to standard output (so a GUI program must find a console).
bool WantsConsoleOutput(const ProgramOptions& options);
