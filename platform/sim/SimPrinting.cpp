#include "platform/sim/SimPrinting.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/SpoolerCore.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

constexpr int kNarrowWidth = 384;
constexpr int kWideWidth = 576;
constexpr int kPageLength = 2398;
constexpr WORD kScreenBitsPerPixel = 32;

// The width in millimetres of the first "<digits>mm" or "<digits> mm" of the form name.
std::optional<int> FormWidthMm(std::string_view form) {
  for (std::size_t at = form.find("mm"); at != std::string_view::npos; at = form.find("mm", at + 2)) {
    std::size_t end = at;
    if (end > 0 && form[end - 1] == ' ') --end;
    std::size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(form[start - 1]))) --start;
    if (start < end && end - start <= 4) return std::stoi(std::string(form.substr(start, end - start)));
  }
  return std::nullopt;
}

int PageWidth(const SpoolerPrinter& printer) {
  std::string_view form;
  if (printer.devMode.size() >= devmode::FormNameOffset + devmode::FormNameSize) {
    form = UpToNul(std::string_view(reinterpret_cast<const char*>(printer.devMode.data()) + devmode::FormNameOffset,
                                    devmode::FormNameSize));
  }
  const auto mm = FormWidthMm(form);
  return mm && *mm <= 58 ? kNarrowWidth : kWideWidth;
}

LONG Extent(const std::string& line) { return static_cast<LONG>(line.size()) * SimPrinting::kCellWidth; }

// The lines DrawTextA shows for `text` in a rectangle `available` pixels wide.
std::vector<std::string> BreakLines(std::string_view text, LONG available, bool wordBreak) {
  std::vector<std::string> paragraphs;
  std::string current;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      paragraphs.push_back(std::move(current));
      current.clear();
      open = false;
    } else {
      current += text[i];
      open = true;
    }
  }
  if (open) paragraphs.push_back(std::move(current));
  if (!wordBreak) return paragraphs;

  std::vector<std::string> lines;
  for (const std::string& paragraph : paragraphs) {
    std::string line;
    bool hasWord = false;
    std::size_t i = 0;
    while (i < paragraph.size()) {
      const std::size_t wordStart = paragraph.find_first_not_of(' ', i);
      if (wordStart == std::string::npos) {
        line += paragraph.substr(i);  // blanks at the end of a paragraph count
        break;
      }
      std::size_t wordEnd = paragraph.find(' ', wordStart);
      if (wordEnd == std::string::npos) wordEnd = paragraph.size();
      const std::string blanks = paragraph.substr(i, wordStart - i);
      const std::string word = paragraph.substr(wordStart, wordEnd - wordStart);
      if (hasWord && Extent(line + blanks + word) > available) {
        lines.push_back(std::move(line));
        line = word;
      } else {
        line += blanks + word;
      }
      hasWord = true;
      i = wordEnd;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return value;
}

class SimBitmap final : public Bitmap {
public:
  SimBitmap(MachineLock lock, int id, LONG width, LONG height, std::shared_ptr<HandleTable> handles)
      : lock_(std::move(lock)), id_(id), width_(width), height_(height), handles_(std::move(handles)),
        handle_(handles_->Register("bitmap", std::to_string(id))) {}
  ~SimBitmap() override {
    const auto held = lock_.Hold();
    handles_->Release(handle_);
  }

  DWORD GetObjectA(BitmapSize& size) override {
    const auto held = lock_.Hold();
    size = {width_, height_, kScreenBitsPerPixel};
    return winerr::Success;
  }
  int id() const { return id_; }

private:
  MachineLock lock_;
  int id_;
  LONG width_, height_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id handle_;
};

class SimMemoryDC final : public MemoryDC {
public:
  SimMemoryDC(MachineLock lock, std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles)
      : lock_(std::move(lock)), faults_(std::move(faults)), handles_(std::move(handles)),
        handle_(handles_->Register("dc", "memory")) {}
  ~SimMemoryDC() override {
    const auto held = lock_.Hold();
    handles_->Release(handle_);
  }

  DWORD SelectBitmap(Bitmap& bitmap) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("SelectObject")) return error;
    const auto* sim = dynamic_cast<SimBitmap*>(&bitmap);
    if (!sim) return winerr::InvalidHandle;
    selected_ = sim->id();
    return winerr::Success;
  }
  int selected() const { return selected_; }

private:
  MachineLock lock_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id handle_;
  int selected_ = 0;
};

class SimPrinterDC final : public PrinterDC {
public:
  SimPrinterDC(SpoolerCorePtr core, std::string printer, int width, std::shared_ptr<FaultInjector> faults,
               std::shared_ptr<HandleTable> handles)
      : core_(std::move(core)), printer_(std::move(printer)), width_(width), faults_(std::move(faults)),
        handles_(std::move(handles)), handle_(handles_->Register("dc", printer_)) {}
  ~SimPrinterDC() override {
    const auto held = core_->lock.Hold();
    handles_->Release(handle_);
  }

  int GetDeviceCaps(int index) override {
    const auto held = core_->lock.Hold();
    switch (index) {
      case devcaps::HorzRes: return width_;
      case devcaps::VertRes: return kPageLength;
      case devcaps::LogPixelsX:
      case devcaps::LogPixelsY: return SimPrinting::kDpi;
      default: return 0;
    }
  }

  DWORD SelectPointFont(const std::string& face, int /*tenthsOfPoint*/) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("CreateFontIndirectA")) return error;
    font_ = face;
    return winerr::Success;
  }

  DWORD StartDocA(const std::string& docName, int& jobId) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("StartDocA")) return error;
    if (document_) return winerr::InvalidParameter;
    if (!core_->Instance()) return winerr::RpcServerUnavailable;
    if (!core_->state.FindPrinter(printer_)) return winerr::InvalidPrinterName;
    document_.emplace();
    document_->name = docName;
    jobId = static_cast<int>(++core_->lastJobId);
    return winerr::Success;
  }

  DWORD StartPage() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("StartPage")) return error;
    if (!document_ || inPage_) return winerr::SplNoStartDoc;
    document_->pages.emplace_back();
    inPage_ = true;
    return winerr::Success;
  }

  DWORD EndPage() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("EndPage")) return error;
    if (!inPage_) return winerr::SplNoStartDoc;
    inPage_ = false;
    return winerr::Success;
  }

  DWORD EndDoc() override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("EndDoc")) return error;
    if (!document_) return winerr::SplNoStartDoc;
    SpoolerPrinter* printer = core_->Instance() ? core_->state.FindPrinter(printer_) : nullptr;
    if (!printer) return winerr::InvalidHandle;
    printer->printed.push_back(std::move(*document_));
    document_.reset();
    inPage_ = false;
    return winerr::Success;
  }

  int SetStretchBltMode(int mode) override {
    const auto held = core_->lock.Hold();
    if (faults_->Check("SetStretchBltMode") != winerr::Success) return 0;
    return std::exchange(stretchMode_, mode);
  }

  int DrawTextA(const std::string& text, GdiRect& rect, UINT format) override {
    const auto held = core_->lock.Hold();
    if (faults_->Check("DrawTextA") != winerr::Success) return 0;
    const auto lines = BreakLines(text, rect.right - rect.left, (format & drawtext::WordBreak) != 0);
    LONG widest = 0;
    for (const std::string& line : lines) widest = std::max(widest, Extent(line));
    const LONG height = static_cast<LONG>(lines.size()) * SimPrinting::kCellHeight;
    if (format & drawtext::CalcRect) {
      rect.right = rect.left + widest;
      rect.bottom = rect.top + height;
    } else if (inPage_) {
      PrintedItem item;
      item.text = text;
      item.font = font_;
      item.left = rect.left, item.top = rect.top, item.right = rect.right, item.bottom = rect.bottom;
      document_->pages.back().push_back(std::move(item));
    }
    return height;
  }

  DWORD StretchBlt(int x, int y, int width, int height, MemoryDC& source, int /*sourceX*/, int /*sourceY*/,
                   int /*sourceWidth*/, int /*sourceHeight*/, DWORD /*rop*/) override {
    const auto held = core_->lock.Hold();
    if (const DWORD error = faults_->Check("StretchBlt")) return error;
    const auto* memory = dynamic_cast<SimMemoryDC*>(&source);
    if (!memory) return winerr::InvalidHandle;
    if (inPage_) {
      PrintedItem item;
      item.picture = true;
      item.bitmap = memory->selected();
      item.left = x, item.top = y, item.right = x + width, item.bottom = y + height;
      document_->pages.back().push_back(item);
    }
    return winerr::Success;
  }

private:
  SpoolerCorePtr core_;
  std::string printer_;
  int width_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id handle_;
  std::string font_;
  int stretchMode_ = 1;  // BLACKONWHITE, a new context's mode
  std::optional<PrintedDocument> document_;
  bool inPage_ = false;
};

}  // namespace

SimPrinting::SimPrinting(MachineLock lock, SimPrintSpooler& spooler, std::shared_ptr<FaultInjector> faults,
                         std::shared_ptr<HandleTable> handles)
    : lock_(std::move(lock)), spooler_(spooler), faults_(std::move(faults)), handles_(std::move(handles)) {}

SimPrinting::~SimPrinting() = default;

void SimPrinting::SetProgramBitmaps(BitmapFiles files) { bitmaps_ = std::move(files); }

DWORD SimPrinting::CreateDCA(const std::string& /*driver*/, const std::string& device, const std::string& /*port*/,
                             std::unique_ptr<PrinterDC>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("CreateDCA")) return error;
  const SpoolerCorePtr& core = spooler_.core();
  if (!core->Instance()) return winerr::RpcServerUnavailable;
  const SpoolerPrinter* printer = core->state.FindPrinter(device);
  if (!printer) return winerr::InvalidPrinterName;
  out = std::make_unique<SimPrinterDC>(core, printer->name, PageWidth(*printer), faults_, handles_);
  return winerr::Success;
}

DWORD SimPrinting::LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("LoadBitmapA")) return error;
  const auto file = bitmaps_ ? bitmaps_(resourceId) : std::nullopt;
  if (!file) return winerr::ResourceNameNotFound;
  // BITMAPFILEHEADER, then the info header's size, width and height.
  constexpr std::size_t kWidthAt = 18, kHeightAt = 22;
  if (file->size() < kHeightAt + 4 || file->substr(0, 2) != "BM") return winerr::InvalidData;
  const auto width = static_cast<LONG>(Little(*file, kWidthAt, 4));
  const auto height = static_cast<LONG>(Little(*file, kHeightAt, 4));
  if (width <= 0 || height == 0) return winerr::InvalidData;
  out = std::make_unique<SimBitmap>(lock_, resourceId, width, height < 0 ? -height : height, handles_);
  return winerr::Success;
}

DWORD SimPrinting::CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("CreateCompatibleDC")) return error;
  out = std::make_unique<SimMemoryDC>(lock_, faults_, handles_);
  return winerr::Success;
}

}  // namespace platform::sim
