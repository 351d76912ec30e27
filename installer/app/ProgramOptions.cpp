#include "app/ProgramOptions.h"

#include <CLI/CLI.hpp>

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args) {
  ProgramOptions options;
  CLI::App cli{"Installs Korvex thermal receipt and kiosk printers.", "KvxInstaller"};
  cli.set_help_flag();  // "-h" must stay free: short words such as "-hidden" are the program's own flags
  cli.allow_extras();
  cli.add_flag("--help", options.help, "Show the options");
  cli.add_option("--machine", options.machineDir, "Simulated machine folder (Linux build)");
  cli.add_flag("--list-models", options.listModels, "Print the model list as the model dialog shows it");
  cli.add_flag("--unattended", options.unattended, "Answer the wizard from these options, print a transcript");
  cli.add_option("--model", options.model, "Model to install (default: the first listed)");
  cli.add_option("--driver", options.driver, "regular or reduced (default: as the dialog proposes)")->check(CLI::IsMember({"regular", "reduced"}));
  cli.add_option("--width", options.width, "80 or 48 (default: as the catalog proposes)")->check(CLI::IsMember({"80", "48"}));
  options.helpText = cli.help();

  // CLI11 wants the program name first and parses in reverse.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    cli.parse(reversed);
  } catch (const CLI::ParseError& e) {
    options.error = e.what();
  }
  // What CLI11 did not take goes to the framework-style parser, in command-line order.
  ParseCommandLine(cli.remaining(), options.flags);
  return options;
}

bool WantsConsoleOutput(const ProgramOptions& options) {
  return options.listModels || options.unattended || options.help || !options.error.empty();
}
