// Menu helpers that the commands and the View menu both use, below both.
//
// Owns no state.
#pragma once
#include <windows.h>

#include <cstdint>

// Sets the check mark of a menu item: in set mode checked when value is not
// zero; otherwise toggled from its present state (an item that is not there
// counts as unchecked). Returns 1 when it is now checked, else 0.
int SetMenuCheck(HMENU menu, bool setMode, UINT item, uint32_t value);
