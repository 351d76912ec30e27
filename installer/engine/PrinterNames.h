#pragma once
#include <string>

#include "engine/OsKind.h"

// Names the spooler sees for a printer: under OS kind 3 the driver and the paper form are
// named after the paper width that ends the form name, elsewhere the given names are kept.

// "<prefix><width> mm" with width 58, 76 or 80, taken from the end of the form name.
std::string WidthName(const std::string& prefix, const std::string& formName);

std::string DriverNameFor(OsKind kind, const std::string& printerName, const std::string& formName);
std::string PaperFormNameFor(OsKind kind, const std::string& formName);

// The paper width a form name gives in millimetres ("Print width 48mm 30cm": 48); 80 when it gives none.
int PaperWidthMm(const std::string& formName);

// Whether the name is of the RQ-7200 TH family: it contains "RQ-7200 TH".
bool IsRq7200ThFamily(const std::string& printerName);

// "VT5200" for the RQ-7200 TH family, "VT5000" for every other name.
std::string ModelShortName(const std::string& printerName);

// The reduced-scale data file: "S" before the first "." ("vt5000.gpd" -> "vt5000S.gpd").
std::string ScaleVariantName(const std::string& fileName);
