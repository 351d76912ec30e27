#pragma once
#include <string>

// What --version prints: the installer's version and the plug-in's, from cmake/Version.cmake (the
// build writes the definition).
std::string VersionLine();
