#include "engine/PrinterNames.h"

namespace {

std::string LastChars(const std::string& text, std::size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

}  // namespace

std::string WidthName(const std::string& prefix, const std::string& formName) {
  std::string width = LastChars(formName, 4);
  // "... 80mm 30cm": the width sits before the length.
  if (width.find("30") != std::string::npos) width = LastChars(formName, 9).substr(0, 4);
  if (width == "48mm" || width == "58mm") {
    width = "58mm";
  } else if (width == "72mm" || width == "76mm") {
    width = "76mm";
  } else {
    width = "80mm";
  }
  std::string name = prefix + width;
  name.insert(name.size() - 2, " ");
  return name;
}

std::string DriverNameFor(OsKind kind, const std::string& printerName, const std::string& formName) {
  return kind == kOsWin98 ? WidthName("Tolvaren ", formName) : printerName;
}

std::string PaperFormNameFor(OsKind kind, const std::string& formName) {
  return kind == kOsWin98 ? WidthName("Thermal Paper ", formName) : formName;
}

int PaperWidthMm(const std::string& formName) {
  constexpr int kDefaultWidthMm = 80;
  for (std::size_t i = 0; i < formName.size(); ++i) {
    std::size_t end = i;
    while (end < formName.size() && end - i < 3 && formName[end] >= '0' && formName[end] <= '9') ++end;
    if (end == i) continue;
    std::size_t unit = end;
    if (unit < formName.size() && formName[unit] == ' ') ++unit;
    if (formName.compare(unit, 2, "mm") == 0) return std::stoi(formName.substr(i, end - i));
    i = end;
  }
  return kDefaultWidthMm;
}

bool IsRq7200ThFamily(const std::string& printerName) { return printerName.find("RQ-7200 TH") != std::string::npos; }

std::string ModelShortName(const std::string& printerName) { return IsRq7200ThFamily(printerName) ? "VT5200" : "VT5000"; }

std::string ScaleVariantName(const std::string& fileName) {
  const std::size_t dot = fileName.find('.');
  if (dot == std::string::npos) return fileName;
  std::string name = fileName;
  name.insert(dot, "S");
  return name;
}
