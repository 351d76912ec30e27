#pragma once
// platform::Printing on the simulated spooler. A printer device context prints on a printer of the
// spooler (the device name; driver and port are not looked at, as GDI ignores them for printers);
// a document goes to that printer's "printed" list when it ends (SpoolerJson.h), with every text and
// picture drawn on a page and its rectangle in device pixels.
//
// The device is a 203 dpi thermal printer. Its page is 384 pixels wide when the form named in the
// printer's device mode is 48 or 58 mm wide ("Print width 48mm 30cm", "Thermal Paper 58 mm"), else
// 576 (the printable 72 mm of 80 mm paper, also for forms that name no width); 2398 pixels (30 cm) long.
// Every font is the printer's resident one: fixed cells of 12 x 24 pixels whatever face and size
// were asked for, since a thermal printer's device font does not scale.
// DrawTextA breaks lines at "\n", "\r" and "\r\n" (a break at the very end starts no line); with
// DT_WORDBREAK also before a word that would pass the rectangle's right edge, dropping the blanks at
// that break; a word wider than the rectangle stays whole on a line of its own, and so do the blanks
// that open a paragraph with its first word. DT_CALCRECT sets the rectangle to the text's extent, as
// Windows documents: right = left + the widest line, narrower or wider than before; bottom = top +
// 24 per line.
//
// The program's bitmaps are BMP files the composition root hands over (SetProgramBitmaps); a bitmap
// loaded from them has the screen's format, 32 bits per pixel. Device contexts and bitmaps are
// accounted in the handle table ("dc", "bitmap").
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Printing.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/SimPrintSpooler.h"

namespace platform::sim {

class SimPrinting : public Printing {
public:
  static constexpr int kDpi = 203;
  static constexpr int kCellWidth = 12;
  static constexpr int kCellHeight = 24;

  // The bytes of the BMP file of a bitmap resource, or nullopt when the program has none of that id.
  using BitmapFiles = std::function<std::optional<std::string_view>(int resourceId)>;

  SimPrinting(MachineLock lock, SimPrintSpooler& spooler, std::shared_ptr<FaultInjector> faults,
              std::shared_ptr<HandleTable> handles);
  ~SimPrinting() override;
  void SetProgramBitmaps(BitmapFiles files);

  // 1801 for a device that is not a printer of the spooler, 1722 while the spooler does not run.
  DWORD CreateDCA(const std::string& driver, const std::string& device, const std::string& port,
                  std::unique_ptr<PrinterDC>& out) override;
  // 1814 for an id the program has no bitmap of, 13 for a file that is no BMP.
  DWORD LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) override;
  DWORD CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) override;

private:
  MachineLock lock_;
  SimPrintSpooler& spooler_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  BitmapFiles bitmaps_;
};

}  // namespace platform::sim
