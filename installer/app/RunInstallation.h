#pragma once
#include "AppContext.h"
#include "app/WizardSelection.h"
#include "ui/Dialog.h"

// How an installation run ended, for the program's exit code and the transcript.
enum class RunOutcome { NotRun, Installed, AlreadyInstalled, PortChanged, Cancelled, Failed };

// The caption of the question to plug the USB printer in, which the unattended mode answers.
inline constexpr const char* kConnectPrinterCaption = "IMPORTANT";

// Installs the printer the wizard chose, asking what to do when it exists on another port, with
// the progress dialog over `owner`; then the outcome message and the test-page question. The gate
// sets selection.osKind; a run that installs a new port monitor clears selection.newMonitorPending.
RunOutcome RunInstallation(AppContext& context, ui::Dialog& owner, WizardSelection& selection);
