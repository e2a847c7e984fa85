// The stored DevMode and DevNames values are whatever another version, another
// program or a hand edit left in the registry: feeds arbitrary bytes, at an
// even or odd address, to the checks that decide whether a block may reach
// the platform, compares each verdict with a plain reading of the record,
// reads all of a DEVMODE that was let through as the platform would (so a
// read past the block is seen), and checks that clearing the default
// printer's flag changes that one bit only.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "output/printer_blocks.h"

namespace {

// The record as 16-bit units, read as a little-endian machine would.
std::u16string Units(const unsigned char* bytes, size_t size) {
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return units;
}

bool ExpectedDevMode(const unsigned char* bytes, size_t size) {
  if (size < DevModeMinSize) return false;
  const std::u16string u = Units(bytes, DevModeMinSize);
  const size_t record = u[DevModeSizeAt / 2], extra = u[DevModeDriverExtraAt / 2];
  return record >= DevModeMinSize && record + extra <= size;
}

bool ExpectedDevNames(const unsigned char* bytes, size_t size) {
  const std::u16string u = Units(bytes, size);
  if (u.size() <= 4) return false;
  for (size_t field = 0; field < 3; ++field) {
    if (u[field] < 4 || u.find(u'\0', u[field]) == std::u16string::npos) return false;
  }
  return u[u[1]] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the block's address even or odd. The block ends where its
  // allocation ends, so any read past it is seen.
  const size_t shift = data[0] & 1;
  const size_t n = size - 1;
  std::vector<unsigned char> storage(shift + n);
  if (n) std::memcpy(storage.data() + shift, data + 1, n);
  unsigned char* block = n ? storage.data() + shift : nullptr;

  const bool devMode = IsUsableDevMode(block, n);
  if (devMode != (block && ExpectedDevMode(block, n))) std::abort();
  if (devMode) {
    // What the platform reads of it: the record and the driver's data.
    const size_t whole = size_t(block[DevModeSizeAt] | block[DevModeSizeAt + 1] << 8) +
                         size_t(block[DevModeDriverExtraAt] | block[DevModeDriverExtraAt + 1] << 8);
    volatile unsigned sum = 0;
    for (size_t i = 0; i < whole; ++i) sum = sum + block[i];
  }

  const bool devNames = IsUsableDevNames(block, n);
  if (devNames != (block && ExpectedDevNames(block, n))) std::abort();

  std::vector<unsigned char> before(storage);
  const bool wasSet = n >= DevNamesHeaderBytes && (block[DevNamesDefaultAt] & DevNamesDefaultPrinter);
  if (ClearDefaultPrinterFlag(block, n) != wasSet) std::abort();
  if (wasSet) before[shift + DevNamesDefaultAt] &= static_cast<unsigned char>(~DevNamesDefaultPrinter);
  if (before != storage) std::abort();  // that bit, and nothing else
  if (IsUsableDevNames(block, n) != devNames) std::abort();
  return 0;
}
