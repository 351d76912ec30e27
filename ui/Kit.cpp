#include "ui/Kit.h"

namespace ui {

std::string AnswerName(int answer) {
  switch (answer) {
    case idres::Ok: return "OK";
    case idres::Cancel: return "Cancel";
    case idres::Abort: return "Abort";
    case idres::Retry: return "Retry";
    case idres::Ignore: return "Ignore";
    case idres::Yes: return "Yes";
    case idres::No: return "No";
    default: return std::to_string(answer);
  }
}

int Kit::AppMessageBox(const std::string& text, unsigned type) { return ShowMessageBox(nullptr, text, appName_, type); }

}  // namespace ui
