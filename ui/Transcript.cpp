#include "ui/Transcript.h"

#include "platform/Windows1252.h"

namespace ui {

std::string Transcript::Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : platform::AnsiToUtf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
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

void Transcript::Step(int step) { Line("step " + std::to_string(step)); }

void Transcript::Outcome(const std::string& outcome) { Line("outcome " + outcome); }

void StreamTranscript::Write(const std::string& line) { out_ << line << '\n' << std::flush; }

}  // namespace ui
