#include "ui/Transcript.h"

#include "platform/Windows1252.h"
#include "ui/WideText.h"

namespace ui {

std::string Transcript::Quote(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "\"" + platform::AnsiToPrintableUtf8(escaped) + "\"";
}

void Transcript::Dialog(int templateId, const std::string& caption) {
  Line("dialog " + std::to_string(templateId) + " " + Quote(caption));
}

void Transcript::Choice(const std::string& what, const std::string& value) {
  Line("choice " + what + " " + Quote(value));
}

void Transcript::Message(const std::string& caption, const std::string& text, const std::string& answer) {
  Line("message " + Quote(caption) + " " + Quote(text) + " -> " + answer);
}

void Transcript::FileDialog(const std::u16string& title, const std::optional<std::u16string>& chosen) {
  Line("file " + Quote(ToAnsi(title)) + " -> " + (chosen ? Quote(ToAnsi(*chosen)) : std::string("Cancel")));
}

void Transcript::Step(int step) { Line("step " + std::to_string(step)); }

void Transcript::Outcome(const std::string& outcome) { Line("outcome " + outcome); }

void StreamTranscript::Write(const std::string& line) { out_ << line << '\n' << std::flush; }

}  // namespace ui
