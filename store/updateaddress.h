// The address of the maker's update page: the site, the page's path, the
// product component (percent-encoded) and the version in the query.
#pragma once
#include <cstdint>

#include "store/appsettings.h"

// Units of the buffer the update address is built in, terminator included.
constexpr int32_t UpdateAddressUnits = 200;

// Appends text to out, percent-encoded as a query value: a space becomes '+',
// digits, ASCII letters, '.' and '/' stay, any other unit u becomes '%' and u
// in upper-case hexadecimal, at least two digits. Writes at most capacity
// units including the terminator and never cuts an escape in half. Returns
// the number of units written before the terminator, or -1 when the text
// did not fit (out then holds what fitted, terminated).
int32_t PercentEncode(DisplayChar* out, int32_t capacity, const DisplayChar* text);

// site + "/cgi-bin/upgrade?p=windows/" + encoded product + "&v=" + version.
// Returns the length, or -1 (and an empty out) when it does not fit.
int32_t BuildUpdateAddress(DisplayChar* out, int32_t capacity, const DisplayChar* site,
                           const DisplayChar* product, const DisplayChar* version);
