#pragma once
// The printers of the machine that this installer's catalog knows, by the driver they use.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PrintSpooler.h"
#include "platform/PrivateProfile.h"

// Whether the driver is one this installer registers: named after a catalog model, with the
// reduced-scale suffix " (Scaled)" and a copy number " (Copy n)" as a new printer beside an existing
// one gets, or after a paper width ("Tolvaren 80 mm").
bool IsCatalogDriver(platform::PrivateProfile& profile, const std::string& driverName);

// The printers among `all` whose driver the catalog names, in the spooler's order.
std::vector<platform::PrinterInfo2A> CatalogPrinters(platform::PrivateProfile& profile,
                                                     const std::vector<platform::PrinterInfo2A>& all);

// The form named in a device mode; empty when it names none.
std::string DevModeFormName(const std::vector<std::uint8_t>& devMode);
