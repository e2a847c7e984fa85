// The remembered printer as the registry keeps it: the DEVMODE and DEVNAMES
// records of the platform's printer dialogs, stored whole as bytes. They are
// foreign input like any stored value (another version, another program or a
// hand edit may have left them), so nothing reaches the platform before it
// has been checked here. Free of the platform: the few fields read are
// spelled out below, at their places in the Win32 records (all numbers
// little-endian), so this builds, is tested and is fuzzed natively too.
#pragma once
#include <cstddef>
#include <cstdint>

// DEVMODEW: the device name (32 UTF-16 units), then the record's own size
// and the size of the driver's private data that follows it.
constexpr size_t DevModeDeviceNameUnits = 32;
constexpr size_t DevModeSizeAt = 68;
constexpr size_t DevModeDriverExtraAt = 70;
// The smallest record the platform's printer code reads whole: every public
// field up to the display frequency (the offset of dmICMMethod).
constexpr size_t DevModeMinSize = 188;

// DEVNAMES: four 16-bit fields (the offsets, in units, of the driver, device
// and port names, then the default flag), the names after them.
constexpr size_t DevNamesHeaderBytes = 8;
constexpr size_t DevNamesDeviceAt = 2;
constexpr size_t DevNamesDefaultAt = 6;
constexpr uint16_t DevNamesDefaultPrinter = 0x0001;  // DN_DEFAULTPRN

// Whether a stored printer-settings block is a whole DEVMODE record that the
// platform may be given: its header inside the block, its size at least the
// public fields, and record and private data inside the block.
bool IsUsableDevMode(const void* bytes, size_t size);
// Whether a stored DEVNAMES block may be given to the platform: each offset
// past the header and inside the block, each name ended inside it, and a
// device name that is not empty.
bool IsUsableDevNames(const void* bytes, size_t size);
// Clears the flag that says the names are the default printer's: handed to
// a printer dialog after the default printer changed, it makes the dialog
// fail. Only that bit of a block holding a whole header changes; returns
// whether it was set.
bool ClearDefaultPrinterFlag(void* bytes, size_t size);
