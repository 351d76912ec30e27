// The resource-script reader on any bytes: a resource set, or an error naming the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "ui/headless/RcParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  try {
    (void)ui::headless::ParseResourceScript(script);
  } catch (const std::runtime_error& error) {
    if (std::string_view(error.what()).rfind("resource script line ", 0) != 0) std::abort();
  }
  return 0;
}
