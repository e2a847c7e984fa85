// Stored settings are whatever another program, an older version or a hand
// edit left in the registry: feeds arbitrary value types and bytes to the
// folding of numbers and the copies of the two strings, and checks each
// result against the rule it must follow.
#include <cstdint>
#include <cstring>
#include <vector>

#include "output/settings_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the value's type (REG_DWORD, REG_SZ, REG_BINARY, or any).
  const uint32_t types[] = {StoredDwordType, 1, 3, data[0]};
  const uint32_t type = types[data[0] & 3];
  // The rest in an allocation of its own, so any read past it is seen.
  std::vector<unsigned char> value(data + 1, data + size);
  const unsigned char* bytes = value.empty() ? nullptr : value.data();
  const uint32_t n = static_cast<uint32_t>(value.size());

  const int32_t number = NumberFromStoredData(type, bytes, n);
  if (type == StoredDwordType) {
    uint32_t expected = 0;
    for (uint32_t i = 0; i < 4 && i < n; ++i) expected |= uint32_t(value[i]) << (8 * i);
    if (static_cast<uint32_t>(number) != expected) __builtin_trap();
  }

  DisplayChar face[FontNameUnits + 1];
  for (auto& u : face) u = 0x7777;
  if (FontNameFromStoredData(face, bytes, n)) {
    // Terminated inside the field and a prefix of the stored units.
    uint32_t len = 0;
    while (len < FontNameUnits && face[len] != 0) ++len;
    if (len == 0 || len >= FontNameUnits || face[FontNameUnits] != 0x7777) __builtin_trap();
    for (uint32_t i = 0; i < len; ++i) {
      if (face[i] != DisplayChar(value[2 * i] | value[2 * i + 1] << 8)) __builtin_trap();
    }
  } else if (face[0] != 0x7777) {
    __builtin_trap();  // refused values leave the field alone
  }

  unsigned char search[SearchStringBytes + 1];
  std::memset(search, 0x77, sizeof search);
  if (SearchStringFromStoredData(search, bytes, n)) {
    size_t len = strnlen(reinterpret_cast<const char*>(search), SearchStringBytes);
    if (len == 0 || len >= SearchStringBytes || search[SearchStringBytes] != 0x77) __builtin_trap();
    if (std::memcmp(search, value.data(), len) != 0) __builtin_trap();
  } else if (search[0] != 0x77) {
    __builtin_trap();
  }
  return 0;
}
