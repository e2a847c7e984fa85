// The search over the whole corpus as the main window drives it.
#pragma once
#include <windows.h>

// Shows the next hit of SearchString: 1, or 0 when the string is empty or
// nothing was found.
int SearchNext(HWND owner);
