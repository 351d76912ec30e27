#include "support/StallRecorder.h"

#include <utility>

namespace stalls {
namespace {

using platform::DWORD;

// Runs a call of the watched thread and books its virtual time under its name.
template <class Call>
auto Booked(StallRecorder& recorder, std::string_view what, Call&& call) {
  if (!recorder.Watching()) return call();
  const std::uint64_t before = recorder.Now();
  auto result = call();
  recorder.Spend(what, recorder.Now() - before);
  return result;
}

class WatchedClock : public platform::Clock {
public:
  WatchedClock(StallRecorder& recorder, platform::Clock& inner) : recorder_(recorder), inner_(inner) {}
  void Sleep(DWORD milliseconds) override {
    Booked(recorder_, "Sleep", [&] {
      inner_.Sleep(milliseconds);
      return 0;
    });
  }
  DWORD GetTickCount() override { return inner_.GetTickCount(); }

private:
  StallRecorder& recorder_;
  platform::Clock& inner_;
};

// A wait for another thread: whatever time it jumps is left out.
template <class Call>
auto LeftOut(StallRecorder& recorder, Call&& call) {
  if (!recorder.Watching()) return call();
  const std::uint64_t before = recorder.Now();
  auto result = call();
  recorder.LeaveOut(recorder.Now() - before);
  return result;
}

class WatchedThreadHandle : public platform::ThreadHandle {
public:
  WatchedThreadHandle(StallRecorder& recorder, std::unique_ptr<platform::ThreadHandle> inner)
      : recorder_(recorder), inner_(std::move(inner)) {}
  ~WatchedThreadHandle() override {
    LeftOut(recorder_, [&] {
      inner_.reset();
      return 0;
    });
  }
  DWORD WaitForSingleObject(DWORD milliseconds) override {
    return LeftOut(recorder_, [&] { return inner_->WaitForSingleObject(milliseconds); });
  }
  DWORD GetExitCodeThread() override {
    return LeftOut(recorder_, [&] { return inner_->GetExitCodeThread(); });
  }

private:
  StallRecorder& recorder_;
  std::unique_ptr<platform::ThreadHandle> inner_;
};

class WatchedThreads : public platform::Threads {
public:
  WatchedThreads(StallRecorder& recorder, platform::Threads& inner) : recorder_(recorder), inner_(inner) {}
  DWORD CreateThread(std::function<DWORD()> function, std::unique_ptr<platform::ThreadHandle>& out) override {
    std::unique_ptr<platform::ThreadHandle> thread;
    const DWORD error = inner_.CreateThread(std::move(function), thread);
    out.reset(thread ? new WatchedThreadHandle(recorder_, std::move(thread)) : nullptr);
    return error;
  }
  DWORD SetCurrentThreadPriority(int priority) override { return inner_.SetCurrentThreadPriority(priority); }

private:
  StallRecorder& recorder_;
  platform::Threads& inner_;
};

// Reads and writes take the time the line and the port's time-outs give.
class WatchedSerialPort : public platform::SerialPort {
public:
  WatchedSerialPort(StallRecorder& recorder, std::unique_ptr<platform::SerialPort> inner)
      : recorder_(recorder), inner_(std::move(inner)) {}
  DWORD SetupComm(DWORD in, DWORD out) override { return inner_->SetupComm(in, out); }
  DWORD PurgeComm(DWORD flags) override { return inner_->PurgeComm(flags); }
  DWORD GetCommState(platform::CommState& state) override { return inner_->GetCommState(state); }
  DWORD SetCommState(const platform::CommState& state) override { return inner_->SetCommState(state); }
  DWORD SetCommTimeouts(const platform::CommTimeouts& timeouts) override { return inner_->SetCommTimeouts(timeouts); }
  DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) override {
    return Booked(recorder_, "WriteFile", [&] { return inner_->WriteFile(data, written); });
  }
  DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) override {
    return Booked(recorder_, "ReadFile", [&] { return inner_->ReadFile(buffer, read); });
  }

private:
  StallRecorder& recorder_;
  std::unique_ptr<platform::SerialPort> inner_;
};

class WatchedSerial : public platform::Serial {
public:
  WatchedSerial(StallRecorder& recorder, platform::Serial& inner) : recorder_(recorder), inner_(inner) {}
  DWORD CreateFileA(const std::string& name, DWORD access, std::unique_ptr<platform::SerialPort>& out) override {
    std::unique_ptr<platform::SerialPort> port;
    const DWORD error = inner_.CreateFileA(name, access, port);
    out.reset(port ? new WatchedSerialPort(recorder_, std::move(port)) : nullptr);
    return error;
  }
  DWORD GetDefaultCommConfigA(const std::string& name, platform::CommState& state) override {
    return inner_.GetDefaultCommConfigA(name, state);
  }
  DWORD SetDefaultCommConfigA(const std::string& name, const platform::CommState& state) override {
    return inner_.SetDefaultCommConfigA(name, state);
  }

private:
  StallRecorder& recorder_;
  platform::Serial& inner_;
};

}  // namespace

struct StallRecorder::Watchers {
  WatchedClock clock;
  WatchedThreads threads;
  WatchedSerial serial;
};

StallRecorder::StallRecorder(platform::sim::SimClock& clock) : clock_(clock) {}
StallRecorder::~StallRecorder() = default;

platform::Platform StallRecorder::Watch(const platform::Platform& p) {
  watchers_.reset(new Watchers{{*this, p.clock}, {*this, p.threads}, {*this, p.serial}});
  return {watchers_->clock, p.registry, p.profile, p.version,  p.process,  p.services,
          p.spooler,        p.messages, p.files,   p.libraries, p.devices, watchers_->threads,
          watchers_->serial, p.printing, p.sockets, p.ipHelper, p.lastError, p.fonts};
}

void StallRecorder::Spend(std::string_view what, std::uint64_t ms) {
  if (!current_.spent.empty() && current_.spent.back().what == what) {
    current_.spent.back().ms += ms;
    ++current_.spent.back().calls;
    return;
  }
  current_.spent.push_back({std::string(what), ms, 1});
}

void StallRecorder::Dispatched(std::string_view what) {
  if (!Watching()) return;
  const std::uint64_t now = Now();
  if (started_) {
    current_.ms = now - start_ - leftOut_;
    current_.to = what;
    if (current_.ms > longest_.ms || longest_.from.empty()) longest_ = current_;
  }
  started_ = true;
  start_ = now;
  leftOut_ = 0;
  current_ = Stretch{};
  current_.from = what;
}

std::string Stretch::Where() const {
  std::string where;
  for (const Spent& s : spent) {
    if (s.ms == 0) continue;
    if (!where.empty()) where += ", ";
    where += s.what + " " + std::to_string(s.ms) + " ms";
    if (s.calls > 1) where += " (" + std::to_string(s.calls) + " calls)";
  }
  return where;
}

}  // namespace stalls
