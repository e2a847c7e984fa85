// The stored DevMode and DevNames values are whatever another version or a
// hand edit left: any bytes, at an even or odd address, to the checks that
// let a block reach the platform, each verdict compared with a plain reading
// of the record; a DEVMODE let through is read whole as the platform would.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "output/printer_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the address even or odd. The block ends where its allocation
  // does, so any read past it is seen.
  const size_t shift = data[0] & 1, n = size - 1;
  std::vector<unsigned char> storage(shift + n);
  if (n) std::memcpy(storage.data() + shift, data + 1, n);
  unsigned char* block = n ? storage.data() + shift : nullptr;
  std::u16string u(n / 2, u'\0');  // as 16-bit little-endian units
  for (size_t i = 0; i < u.size(); ++i) u[i] = char16_t(block[2 * i] | block[2 * i + 1] << 8);

  const size_t whole = n >= DevModeMinSize ? size_t(u[DevModeSizeAt / 2]) + u[DevModeDriverExtraAt / 2] : 0;
  const bool devMode = IsUsableDevMode(block, n);
  if (devMode != (n >= DevModeMinSize && u[DevModeSizeAt / 2] >= DevModeMinSize && whole <= n)) std::abort();
  volatile unsigned sum = 0;
  for (size_t i = 0; devMode && i < whole; ++i) sum = sum + block[i];

  bool names = u.size() > 4;
  for (size_t field = 0; names && field < 3; ++field)
    names = u[field] >= 4 && u.find(u'\0', u[field]) != std::u16string::npos;
  const bool devNames = IsUsableDevNames(block, n);
  if (devNames != (names && u[u[1]] != 0)) std::abort();

  // Clearing the default printer's flag changes that one bit only.
  std::vector<unsigned char> before(storage);
  const bool wasSet = n >= DevNamesHeaderBytes && (block[DevNamesDefaultAt] & DevNamesDefaultPrinter);
  if (ClearDefaultPrinterFlag(block, n) != wasSet) std::abort();
  if (wasSet) before[shift + DevNamesDefaultAt] &= static_cast<unsigned char>(~DevNamesDefaultPrinter);
  if (before != storage || IsUsableDevNames(block, n) != devNames) std::abort();
  return 0;
}
