#include "app/CommandGate.h"

#include "app/InstallGate.h"
#include "app/InstallerResources.h"

CommandGate::CommandGate(ProgramEnvironment& env)
    : env_(env), kit_(InstallerResources(), env.platform.process.GetUserDefaultUILanguage(), user_),
      transcript_(env.out) {
  kit_.SetTranscript(transcript_);
}

std::unique_ptr<Win2kXPInstaller> CommandGate::Pass() {
  AppContext context{env_.platform, kit_};
  OsKind kind = kOsUnknown;
  try {
    return CheckOperatingSystem(context, nullptr, kind);
  } catch (const platform::ProcessExit& exit) {
    transcript_.Outcome("error");
    exitCode_ = static_cast<int>(exit.code);
    return nullptr;
  }
}
