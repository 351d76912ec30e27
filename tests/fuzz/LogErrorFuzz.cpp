// LogError's expansion on a message and values from the bytes. Its callers pass literal messages and
// numbers and texts of any value, so the message here is any text and the values any of those kinds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/ErrorLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string message = input.ConsumeRandomLengthString(200);
  std::vector<LogValue> values;
  while (input.remaining_bytes() > 0 && values.size() < 8) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0: values.emplace_back(input.ConsumeIntegral<long long>()); break;
      case 1: values.emplace_back(input.ConsumeFloatingPoint<double>()); break;
      default: values.emplace_back(input.ConsumeRandomLengthString(100)); break;
    }
  }
  (void)ExpandLogMessage(message, values);
  // A number is written whole: "%f" of a finite value reads back as that value to six decimals.
  for (const LogValue& value : values) {
    const auto* number = std::get_if<double>(&value);
    if (!number || !std::isfinite(*number)) continue;
    const LogValue one[] = {*number};
    const auto text = ExpandLogMessage("%f", one);
    if (!text || std::fabs(std::strtod(text->c_str(), nullptr) - *number) > 5e-7 + std::fabs(*number) * 1e-15)
      std::abort();
  }
  return 0;
}
