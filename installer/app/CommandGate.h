#pragma once
// The installation's gate for a command that runs without the wizard: the operating system and the
// right to install printers, its messages in the command's transcript.
#include <memory>

#include "app/ProgramEnvironment.h"
#include "engine/Win2kXPInstaller.h"
#include "ui/Transcript.h"
#include "ui/headless/HeadlessKit.h"

class CommandGate {
public:
  explicit CommandGate(ProgramEnvironment& env);

  // The installer object when the gate lets the command through; otherwise null, with the outcome
  // "error" in the transcript and the gate's exit code in ExitCode().
  std::unique_ptr<Win2kXPInstaller> Pass();
  int ExitCode() const { return exitCode_; }
  ui::Transcript& transcript() { return transcript_; }

private:
  ProgramEnvironment& env_;
  ui::headless::ScriptedUser user_;
  ui::headless::HeadlessKit kit_;
  ui::StreamTranscript transcript_;
  int exitCode_ = 0;
};
