// Dialogs that are still to come. Each entry point behaves as a dialog the
// user closed without a choice, so every command that opens one is safe.
#include "dialogs/dialogs.h"

int32_t ChooseDaf(HINSTANCE, HWND, int32_t) { return 0; }
INT_PTR FontDialog(HWND, FontSettings*) { return 2; }
INT_PTR AboutBox(HWND) { return 2; }
void CheckForUpdates(HWND) {}
