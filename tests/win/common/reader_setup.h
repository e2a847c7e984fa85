// What the tests that drive the reader's main window in process share: the
// records of the built program and the settings of a plain start.
#pragma once
#include <windows.h>

// Loads the built program named by the test's first argument as the record
// module (as a data file), sets AppInstance and initialises the common
// controls; false when there is no such program.
bool OpenBuiltProgram();
// Clears the settings key and sets the settings of a plain start: "DejaVu
// Sans" at 12 points, Unicode letters, the default flags, the first article,
// the commentary at half the height and a gutter of 10.
void UsePlainSettings();
// WM_DPICHANGED for dpi with the suggested rectangle, as the system sends it
// to a window it has put at that DPI; the window's own DPI reads dpi while
// the message is handled (Wine puts no window at another DPI).
void TellDpiChanged(HWND window, int dpi, const RECT& suggested);
