// The system DLLs that load at their first call (cmake/delayload.cmake). A
// DLL that cannot be loaded then raises an exception that nothing catches,
// which would end the program and lose the settings; so a command that calls
// into one loads it here first, and is skipped when it cannot be.
//
// No state of its own: a DLL loaded stays loaded for the run.
#pragma once
#include <windows.h>

// Loads a DLL of the system folder by its full path (one beside the program
// is never taken). Once it is loaded, the first call into it finds it by its
// name. False when it cannot be loaded.
bool LoadSystemDll(const wchar_t* name);
// Loads the DLLs the command (a CMD_ identifier) calls into: Print and Page
// Setup the common dialogs and the spooler, About and Check For Updates the
// shell. False, after a message box owned by owner that names the DLL, when
// one cannot be loaded: the command is to be skipped.
bool LoadCommandDlls(HWND owner, int command);
