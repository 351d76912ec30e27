#pragma once
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace ui {

// The line-oriented record of an unattended or scripted run: dialogs shown, choices,
// message boxes, progress steps and the outcome. Texts are quoted with C-style escapes.
class Transcript {
public:
  virtual ~Transcript() = default;
  // The installation's worker may report a message while the user-interface thread writes a
  // step: lines never interleave.
  void Line(const std::string& line) {
    std::lock_guard lock(mutex_);
    Write(line);
  }

  void Dialog(int templateId, const std::string& caption);
  void Choice(const std::string& what, const std::string& value);
  void Message(const std::string& caption, const std::string& text, const std::string& answer);
  // A common file dialog: its title and the chosen path, nullopt when cancelled.
  void FileDialog(const std::u16string& title, const std::optional<std::u16string>& chosen);
  void Step(int step);
  void Outcome(const std::string& outcome);

  // The Windows-1252 text in UTF-8, quoted, with \\, \" and control characters escaped (\n, \x1b).
  static std::string Quote(const std::string& text);

protected:
  virtual void Write(const std::string& line) = 0;

private:
  std::mutex mutex_;
};

class NullTranscript : public Transcript {
protected:
  void Write(const std::string&) override {}
};

class StreamTranscript : public Transcript {
public:
  explicit StreamTranscript(std::ostream& out) : out_(out) {}

protected:
  void Write(const std::string& line) override;

private:
  std::ostream& out_;
};

class RecordingTranscript : public Transcript {
public:
  std::vector<std::string> lines;

protected:
  void Write(const std::string& line) override { lines.push_back(line); }
};

}  // namespace ui
