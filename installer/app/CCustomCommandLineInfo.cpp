#include "app/CCustomCommandLineInfo.h"

void CCustomCommandLineInfo::ParseParam(const std::string& param, bool, bool) {
  if (param == "noscalable" || param == "ns") {
    noScalable = true;
  } else if (param == "nopaper" || param == "np") {
    noPaper = true;
  } else if (param == "hidden") {
    hidden = true;
  }
}

void ParseCommandLine(const std::vector<std::string>& args, CCustomCommandLineInfo& info) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool isFlag = !arg.empty() && (arg[0] == '-' || arg[0] == '/');
    info.ParseParam(isFlag ? arg.substr(1) : arg, isFlag, i + 1 == args.size());
  }
}
