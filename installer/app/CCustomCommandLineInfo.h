#pragma once
#include <string>
#include <vector>

// The program's own command-line flags. Each argument arrives with one leading "-" or "/"
// already removed, so a flag means the same with or without it.
class CCustomCommandLineInfo {
public:
  virtual ~CCustomCommandLineInfo() = default;
  virtual void ParseParam(const std::string& param, bool isFlag, bool isLast);

  bool noScalable = false;
  bool noPaper = false;
  bool hidden = false;
};

// Hands each argument to the info the way the framework's command-line parser does.
void ParseCommandLine(const std::vector<std::string>& args, CCustomCommandLineInfo& info);
