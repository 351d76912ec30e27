#pragma once
// The technician's printer commands: take printers off with what their installation added, and
// list the printers the catalog knows, without the wizard.
#include "app/ProgramEnvironment.h"
#include "app/ProgramOptions.h"

// --remove NAME...: after the installation's gate, one transcript line per printer, "outcome
// removed|not-found|refused|failed", with notes on what stays. Exit code 0 all removed, 1 one was
// not found or not this installer's, 3 one failed (the error log says why); the gate's own codes.
int RemovePrintersCommand(const ProgramOptions& options, ProgramEnvironment& env);

// --list-printers: one line per printer whose driver the catalog names, with its port's settings:
// printer "RQ-7200 TH" port "Kvx_COM1:" driver "RQ-7200 TH" baud 38400 flow rts-cts
// printer "RQ-7200 TH (Copy 1)" port "Kvx_IP_192.0.2.50" driver "RQ-7200 TH (Copy 1)" ip 192.0.2.50 tcp-port 9100
// Exit code 0; 2 when the spooler cannot list its printers.
int ListPrintersCommand(ProgramEnvironment& env);
