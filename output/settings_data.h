// What stored setting data means, apart from the registry that holds it: the
// number a value stands for, and the copies of the two strings into their
// fields. Free of the platform, so it is tested and fuzzed natively; the
// registry accessors (output/settings) read the bytes and hand them here.
#pragma once
#include <cstdint>

#include "store/appsettings.h"

// The registry's type code of a four-byte number; every other type is read
// as a string of UTF-16 units.
constexpr uint32_t StoredDwordType = 4;

// A REG_DWORD's little-endian bytes (a short one zero-extended, extra bytes
// ignored); any other type folds its UTF-16 units up to the first zero or the
// end of the data as value * 10 + (unit - 48), no digit check, no sign,
// wrapping at 32 bits. Lone trailing bytes are not a unit.
int32_t NumberFromStoredData(uint32_t type, const unsigned char* bytes, uint32_t size);

// FontName: the units up to the first zero, at most FontNameUnits - 1,
// always terminated. An empty value leaves the field as it is (false).
bool FontNameFromStoredData(DisplayChar* field, const unsigned char* bytes, uint32_t size);

// SearchString: the bytes up to the first zero, at most SearchStringBytes - 1,
// always terminated. An empty value or one that starts with a zero leaves
// the field as it is (false).
bool SearchStringFromStoredData(unsigned char* field, const unsigned char* bytes, uint32_t size);
