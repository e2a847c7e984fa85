// Start-up, the single-instance rule, the main window procedure, the message
// loop and the shut-down order.
#pragma once
#include <windows.h>

extern const wchar_t MainClassName[];  // class name and title: "Orvane"

// The whole program: refusal of old systems, gutter, instance check, window,
// message loop. Returns the exit code.
int RunReader(HINSTANCE instance, int showCommand);
// From the instance check to the end of the message loop; the exit code.
int RunInstance(int showCommand);
HWND InitInstance(int showCommand);
void RegisterMainClass(HINSTANCE instance, const wchar_t* className);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Builds the main window as start-up does (without the instance check, the
// show state or the first-run font dialog), at place (null: where the system
// puts a new window); null when creation failed.
HWND CreateMainWindow(const RECT* place = nullptr);
