#include "output/settings_data.h"

namespace {

uint32_t UnitAt(const unsigned char* bytes, uint32_t i) {
  return static_cast<uint32_t>(bytes[2 * i]) | static_cast<uint32_t>(bytes[2 * i + 1]) << 8;
}

}  // namespace

int32_t NumberFromStoredData(uint32_t type, const unsigned char* bytes, uint32_t size) {
  if (!bytes) size = 0;
  uint32_t value = 0;
  if (type == StoredDwordType) {
    for (uint32_t i = 0; i < 4 && i < size; ++i) value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int32_t>(value);
  }
  for (uint32_t i = 0; i < size / 2; ++i) {
    uint32_t unit = UnitAt(bytes, i);
    if (unit == 0) break;
    value = value * 10u + unit - 48u;
  }
  return static_cast<int32_t>(value);
}

bool FontNameFromStoredData(DisplayChar* field, const unsigned char* bytes, uint32_t size) {
  const uint32_t units = bytes ? size / 2 : 0;
  if (units == 0 || UnitAt(bytes, 0) == 0) return false;
  uint32_t n = 0;
  for (; n < units && n < static_cast<uint32_t>(FontNameUnits - 1); ++n) {
    uint32_t unit = UnitAt(bytes, n);
    if (unit == 0) break;
    field[n] = static_cast<DisplayChar>(unit);
  }
  field[n] = 0;
  return true;
}

bool SearchStringFromStoredData(unsigned char* field, const unsigned char* bytes, uint32_t size) {
  if (!bytes || size == 0 || bytes[0] == 0) return false;
  uint32_t n = 0;
  for (; n < size && n < static_cast<uint32_t>(SearchStringBytes - 1) && bytes[n] != 0; ++n) field[n] = bytes[n];
  field[n] = 0;
  return true;
}
