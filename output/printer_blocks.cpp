#include "output/printer_blocks.h"

namespace {

// Read byte by byte: a stored block may start at any address and have any
// length.
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool IsUsableDevMode(const void* bytes, size_t size) {
  if (!bytes || size < DevModeMinSize) return false;
  const auto* p = static_cast<const unsigned char*>(bytes);
  const size_t recordSize = ReadU16(p + DevModeSizeAt);
  const size_t extra = ReadU16(p + DevModeDriverExtraAt);
  return recordSize >= DevModeMinSize && recordSize + extra <= size;
}

bool IsUsableDevNames(const void* bytes, size_t size) {
  constexpr size_t HeaderUnits = DevNamesHeaderBytes / 2;
  const size_t units = size / 2;  // a lone last byte is no unit
  if (!bytes || units <= HeaderUnits) return false;
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (size_t field = 0; field < 3; ++field) {
    size_t at = ReadU16(p + 2 * field);
    if (at < HeaderUnits || at >= units) return false;
    while (at < units && ReadU16(p + 2 * at) != 0) ++at;
    if (at == units) return false;  // no terminator inside the block
  }
  return ReadU16(p + 2 * ReadU16(p + DevNamesDeviceAt)) != 0;
}

bool ClearDefaultPrinterFlag(void* bytes, size_t size) {
  if (!bytes || size < DevNamesHeaderBytes) return false;
  auto* p = static_cast<unsigned char*>(bytes) + DevNamesDefaultAt;
  if (!(ReadU16(p) & DevNamesDefaultPrinter)) return false;
  p[0] = static_cast<unsigned char>(p[0] & ~DevNamesDefaultPrinter);
  return true;
}
