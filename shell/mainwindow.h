// Start-up, the single-instance rule, the main window procedure, the message
// loop and the shut-down order.
#pragma once
#include <windows.h>

extern const wchar_t MainClassName[];  // class name and title: "Orvane"

// The whole program: refusal of old systems, gutter, instance check, window,
// message loop. Returns the exit code. The command line's arguments are a
// reference to open (shell/reference_input.h).
int RunReader(HINSTANCE instance, int showCommand);
// From the instance check to the end of the message loop; the exit code.
// reference: what the command line names (null or empty: none), gone to
// once the window is up, or handed to a reader that runs already.
int RunInstance(int showCommand, const wchar_t* reference = nullptr);
HWND InitInstance(int showCommand, const wchar_t* reference = nullptr);
void RegisterMainClass(HINSTANCE instance, const wchar_t* className);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Builds the main window as start-up does (without the instance check, the
// show state or the first-run font dialog), at place (null: where the system
// puts a new window); null when creation failed.
HWND CreateMainWindow(const RECT* place = nullptr);
